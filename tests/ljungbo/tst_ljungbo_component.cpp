// The test plug-in loaded in-process through its entry points, as a host does.
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtTest>

#include <dlfcn.h>

#include "ljungbo/componentabi.h"
#include "ljungbo/componentregistry.h"
#include "envguard.h"
#include "ljungbopaths.h"

using namespace comp;

namespace {

constexpr Guid kClsidDefault = {
    0x5B1F0C3E, 0x8A47, 0x4D2B, {0x9E, 0x61, 0x3C, 0x7A, 0x2F, 0x94, 0xD0, 0xB8}};

QList<QWidget *> form1Windows()
{
    QList<QWidget *> found;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget *w : all) {
        if (w->windowTitle() == QLatin1String("Form1"))
            found << w;
    }
    return found;
}

// Counts Show events of any window titled "Form1".
class ShowCounter : public QObject
{
public:
    int shows = 0;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            auto *w = qobject_cast<QWidget *>(o);
            if (w && w->isWindow() && w->windowTitle() == QLatin1String("Form1"))
                ++shows;
        }
        return false;
    }
};

} // namespace

class LjungboComponentTest : public QObject
{
    Q_OBJECT

    void *m_lib = nullptr;
    DllCanUnloadNowFn m_canUnload = nullptr;
    DllGetClassObjectFn m_getClassObject = nullptr;
    DllRegisterServerFn m_register = nullptr;
    DllUnregisterServerFn m_unregister = nullptr;

    IClassFactory *factory()
    {
        void *out = nullptr;
        if (m_getClassObject(&kClsidDefault, &IID_IClassFactory, &out) != S_OK)
            return nullptr;
        return static_cast<IClassFactory *>(out);
    }

    IDispatch *createObject()
    {
        IClassFactory *f = factory();
        if (!f)
            return nullptr;
        void *out = nullptr;
        const HRESULT hr = f->CreateInstance(nullptr, IID_IDispatch, &out);
        f->Release();
        return hr == S_OK ? static_cast<IDispatch *>(out) : nullptr;
    }

    static HRESULT callTest(IDispatch *object, ExcepInfo *info = nullptr)
    {
        std::int32_t id = 0;
        const HRESULT hr = object->GetIDOfName("Test", &id);
        if (hr != S_OK)
            return hr;
        ExcepInfo local{};
        return object->Invoke(id, info ? info : &local);
    }

private slots:
    void initTestCase()
    {
        m_lib = dlopen(QFile::encodeName(ljungboLibrary()).constData(), RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(m_lib, dlerror());
        m_canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(m_lib, "DllCanUnloadNow"));
        m_getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(m_lib, "DllGetClassObject"));
        m_register = reinterpret_cast<DllRegisterServerFn>(dlsym(m_lib, "DllRegisterServer"));
        m_unregister = reinterpret_cast<DllUnregisterServerFn>(dlsym(m_lib, "DllUnregisterServer"));
        QVERIFY(m_canUnload && m_getClassObject && m_register && m_unregister);
    }

    void cleanup()
    {
        // Every test releases what it made: nothing of the library may be in use.
        QCOMPARE(m_canUnload(), S_OK);
        QVERIFY(form1Windows().isEmpty());
    }

    void onlyTheEntryPointsAreExported_data()
    {
        QTest::addColumn<QByteArray>("symbol");
        QTest::addColumn<bool>("exported");
        QTest::newRow("DllCanUnloadNow") << QByteArray("DllCanUnloadNow") << true;
        QTest::newRow("DllGetClassObject") << QByteArray("DllGetClassObject") << true;
        QTest::newRow("DllRegisterServer") << QByteArray("DllRegisterServer") << true;
        QTest::newRow("DllUnregisterServer") << QByteArray("DllUnregisterServer") << true;
        // Internal pieces stay hidden (C++ linkage, hidden visibility).
        QTest::newRow("moduleUsage") << QByteArray("_ZN15Kortvik_Ljungbo11moduleUsageEv") << false;
    }
    void onlyTheEntryPointsAreExported()
    {
        QFETCH(QByteArray, symbol);
        QFETCH(bool, exported);
        QCOMPARE(dlsym(m_lib, symbol.constData()) != nullptr, exported);
    }

    void classObjectRequests_data()
    {
        QTest::addColumn<bool>("knownClass");
        QTest::addColumn<int>("iid");  // 0 class factory, 1 unknown, 2 dispatch
        QTest::addColumn<HRESULT>("expected");
        QTest::newRow("factory") << true << 0 << S_OK;
        QTest::newRow("factory as IUnknown") << true << 1 << S_OK;
        QTest::newRow("factory as dispatch") << true << 2 << E_NOINTERFACE;
        QTest::newRow("unknown class") << false << 0 << CLASS_E_CLASSNOTAVAILABLE;
    }
    void classObjectRequests()
    {
        QFETCH(bool, knownClass);
        QFETCH(int, iid);
        QFETCH(HRESULT, expected);
        const Guid other = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
        const Guid *iids[] = {&IID_IClassFactory, &IID_IUnknown, &IID_IDispatch};
        void *out = reinterpret_cast<void *>(0x1);
        const HRESULT hr = m_getClassObject(knownClass ? &kClsidDefault : &other, iids[iid], &out);
        QCOMPARE(hr, expected);
        if (hr == S_OK) {
            QVERIFY(out);
            QCOMPARE(m_canUnload(), S_FALSE);  // a held factory keeps the library
            static_cast<IUnknown *>(out)->Release();
        } else {
            QVERIFY(!out);
        }
        QCOMPARE(m_getClassObject(&kClsidDefault, &IID_IClassFactory, nullptr), E_POINTER);
    }

    void creationWithoutTestShowsNoWindow()
    {
        ShowCounter counter;
        qApp->installEventFilter(&counter);
        IDispatch *object = createObject();
        QVERIFY(object);
        // Loaded but not shown.
        const QList<QWidget *> forms = form1Windows();
        QCOMPARE(forms.size(), 1);
        QVERIFY(!forms.first()->isVisible());
        QCOMPARE(m_canUnload(), S_FALSE);
        QPointer<QWidget> form = forms.first();
        QCOMPARE(object->Release(), 0u);
        QCoreApplication::processEvents();
        qApp->removeEventFilter(&counter);
        QCOMPARE(counter.shows, 0);
        QVERIFY(!form);  // unloaded with its object
    }

    void testShowsForm1Window()
    {
        IDispatch *object = createObject();
        QVERIFY(object);
        QCOMPARE(callTest(object), S_OK);
        QList<QWidget *> forms = form1Windows();
        QCOMPARE(forms.size(), 1);
        QWidget *form = forms.first();
        QVERIFY(form->isVisible());
        QCOMPARE(form->windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(form->size(), QSize(4680 / 15, 3195 / 15));  // client area 312 x 213
        QVERIFY(!form->parentWidget());                      // no owner
        QCOMPARE(form->windowModality(), Qt::NonModal);
        QVERIFY(form->findChildren<QWidget *>().isEmpty());   // no controls

        // The user closes it; Test shows the same window again.
        form->close();
        QVERIFY(!form->isVisible());
        QCOMPARE(callTest(object), S_OK);
        forms = form1Windows();
        QCOMPARE(forms.size(), 1);
        QCOMPARE(forms.first(), form);
        QVERIFY(form->isVisible());
        object->Release();
    }

    void releaseWhileVisibleClosesWindow()
    {
        IDispatch *object = createObject();
        QVERIFY(object);
        QCOMPARE(callTest(object), S_OK);
        QPointer<QWidget> form = form1Windows().value(0);
        QVERIFY(form && form->isVisible());
        // A second reference keeps it; the last one closes it.
        object->AddRef();
        QCOMPARE(object->Release(), 1u);
        QVERIFY(form && form->isVisible());
        QCOMPARE(object->Release(), 0u);
        QVERIFY(!form);
    }

    void twoObjectsOwnTwoWindows()
    {
        IDispatch *first = createObject();
        IDispatch *second = createObject();
        QVERIFY(first && second);
        QCOMPARE(form1Windows().size(), 2);
        QCOMPARE(callTest(first), S_OK);
        const QList<QWidget *> shown = [] {
            QList<QWidget *> v;
            for (QWidget *w : form1Windows())
                if (w->isVisible())
                    v << w;
            return v;
        }();
        QCOMPARE(shown.size(), 1);  // only the first object's window
        QPointer<QWidget> firstForm = shown.first();
        QCOMPARE(callTest(second), S_OK);
        QPointer<QWidget> secondForm;
        for (QWidget *w : form1Windows())
            if (w != firstForm)
                secondForm = w;
        QVERIFY(secondForm && secondForm->isVisible());

        first->Release();
        QVERIFY(!firstForm);
        QVERIFY(secondForm && secondForm->isVisible());
        QCOMPARE(m_canUnload(), S_FALSE);
        second->Release();
        QVERIFY(!secondForm);
    }

    void unloadAllowedOnlyWhenNothingLives()
    {
        QCOMPARE(m_canUnload(), S_OK);
        IClassFactory *f = factory();
        QVERIFY(f);
        QCOMPARE(m_canUnload(), S_FALSE);
        QCOMPARE(f->LockServer(true), S_OK);
        f->Release();
        QCOMPARE(m_canUnload(), S_FALSE);  // locked
        IClassFactory *again = factory();
        QVERIFY(again);
        QCOMPARE(again->LockServer(false), S_OK);
        void *out = nullptr;
        QCOMPARE(again->CreateInstance(nullptr, IID_IDispatch, &out), S_OK);
        again->Release();
        QCOMPARE(m_canUnload(), S_FALSE);  // the object lives
        static_cast<IDispatch *>(out)->Release();
        QCOMPARE(m_canUnload(), S_OK);
    }

    void methodNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<HRESULT>("expected");
        QTest::newRow("Test") << QByteArray("Test") << S_OK;
        QTest::newRow("any case") << QByteArray("tEST") << S_OK;
        QTest::newRow("prefix") << QByteArray("Tes") << DISP_E_UNKNOWNNAME;
        QTest::newRow("longer") << QByteArray("Tests") << DISP_E_UNKNOWNNAME;
        QTest::newRow("empty") << QByteArray("") << DISP_E_UNKNOWNNAME;
        QTest::newRow("other") << QByteArray("Show") << DISP_E_UNKNOWNNAME;
    }
    void methodNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(HRESULT, expected);
        IDispatch *object = createObject();
        QVERIFY(object);
        std::int32_t id = -1;
        QCOMPARE(object->GetIDOfName(name.constData(), &id), expected);
        QCOMPARE(object->GetIDOfName(nullptr, &id), E_POINTER);
        ExcepInfo info{};
        QCOMPARE(object->Invoke(4711, &info), DISP_E_MEMBERNOTFOUND);
        QVERIFY(!form1Windows().value(0)->isVisible());
        object->Release();
    }

    void objectInterfaces()
    {
        IDispatch *object = createObject();
        QVERIFY(object);
        void *asUnknown = nullptr;
        void *asDispatch = nullptr;
        void *asFactory = reinterpret_cast<void *>(0x1);
        QCOMPARE(object->QueryInterface(IID_IUnknown, &asUnknown), S_OK);
        QCOMPARE(object->QueryInterface(IID_IDispatch, &asDispatch), S_OK);
        QCOMPARE(asUnknown, asDispatch);  // one identity
        QCOMPARE(object->QueryInterface(IID_IClassFactory, &asFactory), E_NOINTERFACE);
        QVERIFY(!asFactory);
        QCOMPARE(object->Release(), 2u);
        QCOMPARE(object->Release(), 1u);
        QCOMPARE(object->Release(), 0u);
    }

    void creationRefusedWhereNoWindowCanLive()
    {
        IClassFactory *f = factory();
        QVERIFY(f);
        void *out = reinterpret_cast<void *>(0x1);
        // Aggregation is not supported.
        QCOMPARE(f->CreateInstance(reinterpret_cast<IUnknown *>(f), IID_IDispatch, &out), CLASS_E_NOAGGREGATION);
        QVERIFY(!out);
        // Not on the GUI thread: an error, never a widget on the wrong thread.
        HRESULT fromThread = S_OK;
        void *threadOut = reinterpret_cast<void *>(0x1);
        QThread *thread = QThread::create([&] { fromThread = f->CreateInstance(nullptr, IID_IDispatch, &threadOut); });
        thread->start();
        QVERIFY(thread->wait(10000));
        delete thread;
        QCOMPARE(fromThread, RPC_E_WRONG_THREAD);
        QVERIFY(!threadOut);
        QVERIFY(form1Windows().isEmpty());
        // An interface the object does not have.
        QCOMPARE(f->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
        QVERIFY(form1Windows().isEmpty());
        f->Release();
    }

    void failureToShowIsReturnedToTheCaller()
    {
        IDispatch *object = createObject();
        QVERIFY(object);
        // The window is gone behind the object's back.
        delete form1Windows().value(0);
        ExcepInfo info{};
        QCOMPARE(callTest(object, &info), DISP_E_EXCEPTION);
        QVERIFY(info.scode != S_OK);
        QVERIFY(qstrlen(info.description) > 0);
        QCOMPARE(QByteArray(info.source), QByteArray("Kortvik_Ljungbo.Default"));
        QVERIFY(form1Windows().isEmpty());
        object->Release();
    }

    void registrationRoundTrip()
    {
        QTemporaryDir data;
        QVERIFY(data.isValid());
        EnvGuard env("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const QString recordFile = data.path() + QStringLiteral("/kortvik/components/Kortvik_Ljungbo.Default");

        QCOMPARE(m_register(), S_OK);
        QVERIFY(QFile::exists(recordFile));
        const std::optional<ComponentRecord> record = readRecord(QStringLiteral("Kortvik_Ljungbo.Default"));
        QVERIFY(record);
        QCOMPARE(record->library, QFileInfo(ljungboLibrary()).canonicalFilePath());
        QVERIFY(record->clsid == kClsidDefault);
        QCOMPARE(registeredProgIds(), QStringList{QStringLiteral("Kortvik_Ljungbo.Default")});

        QCOMPARE(m_register(), S_OK);  // again: same record, still one
        QCOMPARE(registeredProgIds().size(), 1);

        QCOMPARE(m_unregister(), S_OK);
        QVERIFY(!QFile::exists(recordFile));
        QVERIFY(registeredProgIds().isEmpty());
        QCOMPARE(m_unregister(), S_OK);  // nothing left to remove is no failure

        // A registry that cannot be made is a registration error.
        QFile blocker(data.path() + QStringLiteral("/file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(blocker.fileName()));
        QCOMPARE(m_register(), SELFREG_E_CLASS);
    }
};

QTEST_MAIN(LjungboComponentTest)
#include "tst_ljungbo_component.moc"
