// kortvik-imail's stored placement: used when it reads and its title strip
// is on a screen, ignored otherwise.
#include "imailplacement.h"

#include <QtTest>

class TestIMailPlacement : public QObject
{
    Q_OBJECT
private slots:
    void usable_data()
    {
        QTest::addColumn<QStringList>("stored"); // left, top, width, height
        QTest::addColumn<bool>("used");
        QTest::newRow("inside") << QStringList{"100", "80", "560", "360"} << true;
        QTest::newRow("second screen") << QStringList{"1400", "100", "560", "360"} << true;
        QTest::newRow("blanks around") << QStringList{" 100", "80 ", "560", "360"} << true;
        QTest::newRow("title strip partly off left") << QStringList{"-400", "10", "560", "360"} << true;
        QTest::newRow("above the screens") << QStringList{"100", "-200", "560", "360"} << false;
        QTest::newRow("right of the screens") << QStringList{"2500", "100", "560", "360"} << false;
        QTest::newRow("gap between screens") << QStringList{"100", "900", "560", "360"} << false;
        QTest::newRow("missing") << QStringList{"", "", "", ""} << false;
        QTest::newRow("text") << QStringList{"a", "80", "560", "360"} << false;
        QTest::newRow("decimal") << QStringList{"100.5", "80", "560", "360"} << false;
        QTest::newRow("tiny") << QStringList{"100", "80", "20", "10"} << false;
        QTest::newRow("huge") << QStringList{"0", "0", "99999", "360"} << false;
    }

    void usable()
    {
        QFETCH(QStringList, stored);
        QFETCH(bool, used);
        const QList<QRect> screens{QRect(0, 0, 1280, 800), QRect(1280, 0, 1024, 768)};
        const auto rect = imailPlacement::usable(stored[0], stored[1], stored[2], stored[3], screens);
        QCOMPARE(rect.has_value(), used);
        if (used)
            QCOMPARE(*rect, QRect(stored[0].trimmed().toInt(), stored[1].trimmed().toInt(), stored[2].toInt(),
                                  stored[3].toInt()));
    }
};

QTEST_GUILESS_MAIN(TestIMailPlacement)
#include "tst_imailplacement.moc"
