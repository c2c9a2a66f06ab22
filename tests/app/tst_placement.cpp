#include "app/placement.h"

#include <QGuiApplication>
#include <QMap>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <cmath>

using namespace modGlobal;

namespace {

using Values = QMap<QString, QString>;

// The settings file as restorePlacement sees it: stored values, or a file
// that cannot be read at all; every read is recorded.
struct FakeSettings {
    Values values;
    bool unreadable = false;
    QStringList reads;  // "section/key=default"

    PlacementReader reader()
    {
        return [this](const QString &section, const QString &key,
                      const QString &def) -> std::optional<QString> {
            reads << section + QLatin1Char('/') + key + QLatin1Char('=') + def;
            if (unreadable)
                return std::nullopt;
            return values.contains(key) ? values.value(key) : def;
        };
    }
};

const QRect kDesign(111, 77, 577, 443);

QRect placedRect(const QWidget &w)
{
    return QRect(w.pos(), w.size());
}

QRect screenRect()
{
    return QGuiApplication::primaryScreen()->geometry();
}

Values stored(int width, int height, int top, int left)
{
    return {{QStringLiteral("frmMn.Width"), QString::number(width)},
            {QStringLiteral("frmMn.Height"), QString::number(height)},
            {QStringLiteral("frmMn.Top"), QString::number(top)},
            {QStringLiteral("frmMn.Left"), QString::number(left)}};
}

} // namespace

class tst_Placement : public QObject
{
    Q_OBJECT

private slots:
    void restore_data();
    void restore();
    void readsInOrderWithCurrentValuesAsDefaults();
    void unreadableFileRestoresDesignAfterOneRead();
    void saveWritesFourKeysInOrder();
    void restoreOfSavedValuesGivesSameWindowBack();
    void fitsScreen_data();
    void fitsScreen();
    void parseNumber_data();
    void parseNumber();
};

void tst_Placement::restore_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<bool>("unreadable");
    QTest::addColumn<QRect>("expected");

    const QRect s = screenRect();
    const int sw = s.width();
    const int sh = s.height();
    const QRect applied(30, 20, 400, 300);

    QTest::newRow("first run: no keys keep the design placement") << Values() << false << kDesign;
    QTest::newRow("settings file unreadable") << stored(400, 300, 20, 30) << true << kDesign;
    QTest::newRow("stored values applied") << stored(400, 300, 20, 30) << false << applied;
    QTest::newRow("only a width stored") << Values{{QStringLiteral("frmMn.Width"), QStringLiteral("500")}}
                                         << false << QRect(111, 77, 500, 443);

    QTest::newRow("width larger than the screen") << stored(sw + 1, 300, 20, 30) << false << kDesign;
    QTest::newRow("width exactly the screen's kept") << stored(sw, 300, 20, 0) << false << QRect(0, 20, sw, 300);
    QTest::newRow("height larger than the screen") << stored(400, sh + 1, 20, 30) << false << kDesign;

    QTest::newRow("top -18 kept") << stored(400, 300, -18, 30) << false << QRect(30, -18, 400, 300);
    QTest::newRow("top -19 restores the design") << stored(400, 300, -19, 30) << false << kDesign;
    QTest::newRow("top at screen height - 100 kept")
        << stored(400, 300, sh - 100, 30) << false << QRect(30, sh - 100, 400, 300);
    QTest::newRow("top below screen height - 100") << stored(400, 300, sh - 99, 30) << false << kDesign;

    const int leftLimit = int(std::floor(sw * 8.0 / 9.0));
    QTest::newRow("left at 8/9 of the screen kept")
        << stored(400, 300, 20, leftLimit) << false << QRect(leftLimit, 20, 400, 300);
    QTest::newRow("left beyond 8/9 of the screen") << stored(400, 300, 20, leftLimit + 1) << false << kDesign;
    // 8/9 of 450 is 400: -400 is kept, -401 is too far off to the left.
    QTest::newRow("left -8/9 of the width kept")
        << stored(450, 300, 20, -400) << false << QRect(-400, 20, 450, 300);
    QTest::newRow("left beyond -8/9 of the width") << stored(450, 300, 20, -401) << false << kDesign;

    Values abc = stored(400, 300, 20, 30);
    abc[QStringLiteral("frmMn.Left")] = QStringLiteral("abc");
    QTest::newRow("left \"abc\" restores the whole design") << abc << false << kDesign;
    Values emptyTop = stored(400, 300, 20, 30);
    emptyTop[QStringLiteral("frmMn.Top")] = QString();
    QTest::newRow("empty top") << emptyTop << false << kDesign;
    Values nanWidth = stored(400, 300, 20, 30);
    nanWidth[QStringLiteral("frmMn.Width")] = QStringLiteral("nan");
    QTest::newRow("width nan") << nanWidth << false << kDesign;
    QTest::newRow("zero height") << stored(400, 0, 20, 30) << false << kDesign;
    QTest::newRow("negative width") << stored(-400, 300, 20, 30) << false << kDesign;

    // Sizes go through whole twips (15 per pixel), edges round halves to even.
    Values fractions{{QStringLiteral("frmMn.Width"), QStringLiteral("400.4")},
                     {QStringLiteral("frmMn.Height"), QStringLiteral("300.5")},
                     {QStringLiteral("frmMn.Top"), QStringLiteral("20.5")},
                     {QStringLiteral("frmMn.Left"), QStringLiteral("31.5")}};
    QTest::newRow("fractions") << fractions << false << QRect(32, 20, 400, 301);
    Values padded{{QStringLiteral("frmMn.Width"), QStringLiteral(" 400 ")},
                  {QStringLiteral("frmMn.Top"), QStringLiteral("21.5")}};
    QTest::newRow("blanks around a number; top 21.5 rounds to 22")
        << padded << false << QRect(111, 22, 400, 443);
}

void tst_Placement::restore()
{
    QFETCH(Values, values);
    QFETCH(bool, unreadable);
    QFETCH(QRect, expected);

    QWidget window;
    window.resize(kDesign.size());
    window.move(kDesign.topLeft());
    FakeSettings settings{values, unreadable, {}};
    restorePlacement(&window, settings.reader());
    QCOMPARE(placedRect(window), expected);
}

void tst_Placement::readsInOrderWithCurrentValuesAsDefaults()
{
    QWidget window;
    window.resize(kDesign.size());
    window.move(kDesign.topLeft());
    FakeSettings settings;
    settings.values[QStringLiteral("frmMn.Height")] = QStringLiteral("300");
    restorePlacement(&window, settings.reader());
    // The width is read after the height has been applied: its default is
    // still the current width, the top's the current top.
    const QStringList expected{QStringLiteral("Kortvik/frmMn.Height=443"), QStringLiteral("Kortvik/frmMn.Width=577"),
                               QStringLiteral("Kortvik/frmMn.Top=77"), QStringLiteral("Kortvik/frmMn.Left=111")};
    QCOMPARE(settings.reads, expected);
    QCOMPARE(placedRect(window), QRect(111, 77, 577, 300));
}

void tst_Placement::unreadableFileRestoresDesignAfterOneRead()
{
    QWidget window;
    window.resize(kDesign.size());
    window.move(kDesign.topLeft());
    FakeSettings settings;
    settings.unreadable = true;
    restorePlacement(&window, settings.reader());
    QCOMPARE(settings.reads.size(), 1);
    QCOMPARE(placedRect(window), kDesign);
}

void tst_Placement::saveWritesFourKeysInOrder()
{
    QWidget window;
    window.resize(412, 318);
    window.move(-7, 23);
    QStringList writes;
    savePlacement(&window, [&](const QString &section, const QString &key, const QString &value) {
        writes << section + QLatin1Char('/') + key + QLatin1Char('=') + value;
    });
    const QStringList expected{QStringLiteral("Kortvik/frmMn.Width=412"), QStringLiteral("Kortvik/frmMn.Height=318"),
                               QStringLiteral("Kortvik/frmMn.Top=23"), QStringLiteral("Kortvik/frmMn.Left=-7")};
    QCOMPARE(writes, expected);
}

void tst_Placement::restoreOfSavedValuesGivesSameWindowBack()
{
    QWidget first;
    first.resize(505, 333);
    first.move(44, 55);
    FakeSettings settings;
    savePlacement(&first, [&](const QString &, const QString &key, const QString &value) {
        settings.values[key] = value;
    });

    QWidget second;
    second.resize(kDesign.size());
    second.move(kDesign.topLeft());
    restorePlacement(&second, settings.reader());
    QCOMPARE(placedRect(second), placedRect(first));
}

void tst_Placement::fitsScreen_data()
{
    QTest::addColumn<QRectF>("window");
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<bool>("fits");

    const QRect left(0, 0, 1280, 1024);
    const QRect right(1280, 0, 1920, 1080);
    QTest::newRow("fractional left just inside 8/9") << QRectF(1137.7, 0, 400, 400) << left << true;
    QTest::newRow("fractional left just beyond 8/9") << QRectF(1137.8, 0, 400, 400) << left << false;
    // Edges count from the window's own screen.
    QTest::newRow("second screen, inside") << QRectF(1300, 10, 600, 400) << right << true;
    QTest::newRow("second screen, top -18") << QRectF(1300, -18, 600, 400) << right << true;
    QTest::newRow("second screen, far left of it") << QRectF(700, 10, 600, 400) << right << false;
}

void tst_Placement::fitsScreen()
{
    QFETCH(QRectF, window);
    QFETCH(QRect, screen);
    QFETCH(bool, fits);
    QCOMPARE(placementFitsScreen(window, screen), fits);
}

void tst_Placement::parseNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<double>("value");

    QTest::newRow("blanks") << QStringLiteral("  42 ") << true << 42.0;
    QTest::newRow("fraction") << QStringLiteral("600.5") << true << 600.5;
    QTest::newRow("number then letters") << QStringLiteral("12abc") << false << 0.0;
    QTest::newRow("infinite") << QStringLiteral("inf") << false << 0.0;
    QTest::newRow("absurdly large") << QStringLiteral("1e300") << false << 0.0;
}

void tst_Placement::parseNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(double, value);
    const std::optional<double> parsed = parsePlacementNumber(text);
    QCOMPARE(parsed.has_value(), valid);
    if (valid)
        QCOMPARE(*parsed, value);
}

QTEST_MAIN(tst_Placement)
#include "tst_placement.moc"
