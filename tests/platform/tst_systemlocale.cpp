#include "platform/locale/SystemLocale.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(text);
    return path;
}

} // namespace

class TestSystemLocale : public QObject
{
    Q_OBJECT

private slots:
    void readsTheSystemLocaleName_data();
    void readsTheSystemLocaleName();
    void decimalSeparatorOfLocale_data();
    void decimalSeparatorOfLocale();
    void shortDateOfLocale_data();
    void shortDateOfLocale();
    void ignoresTheUsersEnvironment();
};

void TestSystemLocale::readsTheSystemLocaleName_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QString>("name");
    QTest::newRow("LANG") << QByteArray("LANG=de_DE.UTF-8\n") << "de_DE.UTF-8";
    QTest::newRow("quoted") << QByteArray("LANG=\"fr_FR.UTF-8\"\n") << "fr_FR.UTF-8";
    QTest::newRow("LC_NUMERIC wins over LANG")
        << QByteArray("LANG=en_US.UTF-8\nLC_NUMERIC=de_DE.UTF-8\n") << "de_DE.UTF-8";
    QTest::newRow("LC_ALL wins") << QByteArray("LC_NUMERIC=de_DE\nLC_ALL=en_GB\n") << "en_GB";
    QTest::newRow("comments and junk") << QByteArray("# LANG=xx\n\njunk line\n  LANG = it_IT  \n") << "it_IT";
    QTest::newRow("nothing set") << QByteArray("# empty\n") << "";
    QTest::newRow("binary junk") << QByteArray("\x00\xff\xfe=\x01\n", 6) << "";
}

void TestSystemLocale::readsTheSystemLocaleName()
{
    QFETCH(QByteArray, config);
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("locale"), config);
    QCOMPARE(SystemLocaleName(QStringLiteral("LC_NUMERIC"), {path}), name);
}

void TestSystemLocale::decimalSeparatorOfLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("separator");
    QTest::newRow("German") << "de_DE.UTF-8"
                            << ",";
    QTest::newRow("US English") << "en_US.UTF-8"
                                << ".";
    QTest::newRow("with modifier") << "fr_FR@euro"
                                   << ",";
    QTest::newRow("C") << "C.UTF-8"
                       << ".";
    QTest::newRow("POSIX") << "POSIX"
                           << ".";
    QTest::newRow("unknown name fails") << "xx_YY"
                                        << "";
    QTest::newRow("empty fails") << ""
                                 << "";
}

void TestSystemLocale::decimalSeparatorOfLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, separator);
    QCOMPARE(DecimalSeparatorOfLocale(locale), separator);
}

void TestSystemLocale::shortDateOfLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("date");
    QTest::newRow("German") << "de_DE.UTF-8"
                            << QLocale(QLocale::German).toString(QDate(2026, 12, 10), QLocale::ShortFormat);
    QTest::newRow("US English")
        << "en_US.UTF-8"
        << QLocale(QLocale::English, QLocale::UnitedStates).toString(QDate(2026, 12, 10), QLocale::ShortFormat);
    // The C library's %x
    QTest::newRow("none configured") << ""
                                     << "12/10/26";
    QTest::newRow("C") << "C"
                       << "12/10/26";
    QTest::newRow("POSIX") << "POSIX"
                           << "12/10/26";
    QTest::newRow("C.UTF-8") << "C.UTF-8"
                             << "12/10/26";
    QTest::newRow("unknown name") << "xx_YY"
                                  << "12/10/26";
}

void TestSystemLocale::shortDateOfLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, date);
    QCOMPARE(ShortDateOfLocale(locale, QDate(2026, 12, 10)), date);
    QVERIFY(ShortDateOfLocale(QStringLiteral("de_DE.UTF-8"), QDate(2026, 12, 10)).contains(u'.'));
}

void TestSystemLocale::ignoresTheUsersEnvironment()
{
    // The system default locale uses a comma while the user's uses a point.
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("locale"), "LANG=de_DE.UTF-8\n");
    qputenv("LC_ALL", "en_US.UTF-8");
    qputenv("LANG", "en_US.UTF-8");
    QCOMPARE(DecimalSeparatorOfLocale(SystemLocaleName(QStringLiteral("LC_NUMERIC"), {path})), QStringLiteral(","));
    // The first file that names a locale decides; a missing one is skipped.
    const QString second = writeFile(dir, QStringLiteral("second"), "LANG=en_US.UTF-8\n");
    QCOMPARE(SystemLocaleName(QStringLiteral("LC_NUMERIC"), {dir.filePath(QStringLiteral("missing")), path, second}),
             QStringLiteral("de_DE.UTF-8"));
}

QTEST_APPLESS_MAIN(TestSystemLocale)
#include "tst_systemlocale.moc"
