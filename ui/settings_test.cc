// The settings file: defaults, the integer rules, Windows-1251 on disk, the owner-only file.
#include "ui/settings.h"

#include <sys/stat.h>

#include <QtTest>

#include "actions/cp1251.h"
#include "actions/file_io.h"
#include "dbaccess/base/temp_folder_testing.h"
#include "ui/ui_texts.h"

namespace ui {

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void missingFileAndKeysGiveTheDefaults() {
    dbaccess::testing::TempFolder folder;
    QCOMPARE(ReadSettings(folder.File("none.ini")), Settings{});
    const std::string path = folder.Write(
        "a.ini", std::string("[") + texts::kSection + "]\n" + texts::kKeyCbRenameField + "=1\n");
    Settings expected;
    expected.cbRenameField = true;
    const Settings read = ReadSettings(path);
    QCOMPARE(read, expected);
    QVERIFY(read.cbRefresh);                              // missing: ticked
    QVERIFY(!read.cbPre);                                 // missing: unticked
    QCOMPARE(read.FonOnRelation, actions::Answer::kYes);  // missing: drop the relations
  }

  void theUnattendedAnswerToTheRelationQuestion() {
    dbaccess::testing::TempFolder folder;
    const auto read = [&folder](const std::string& value) {
      return ReadSettings(folder.Write("a.ini", std::string("[") + texts::kSection + "]\n" +
                                                    texts::kKeyFonOnRelation + "=" + value + "\n"))
          .FonOnRelation;
    };
    QCOMPARE(read("no"), actions::Answer::kNo);
    QCOMPARE(read("Cancel"), actions::Answer::kCancel);
    QCOMPARE(read("yes"), actions::Answer::kYes);
    QCOMPARE(read("1"), actions::Answer::kYes);  // not a word it knows: the default
    // The same for the rule on actions that would lose data: skip them unless told.
    const auto rule = [&folder](const std::string& value) {
      return ReadSettings(folder.Write("c.ini", std::string("[") + texts::kSection + "]\n" +
                                                    texts::kKeyFonOnDataLoss + "=" + value + "\n"))
          .FonOnDataLoss;
    };
    QCOMPARE(rule("run"), actions::DataLossRule::kRun);
    QCOMPARE(rule("STOP"), actions::DataLossRule::kStop);
    QCOMPARE(rule("ask"), actions::DataLossRule::kSkip);
    // Saving the settings leaves the key as it stands.
    const std::string path = folder.Write(
        "b.ini", std::string("[") + texts::kSection + "]\n" + texts::kKeyFonOnRelation + "=no\n");
    WriteSettings(path, ReadSettings(path));
    QCOMPARE(ReadSettings(path).FonOnRelation, actions::Answer::kNo);
  }

  void integersAreDecimalOrHexadecimalAndOthersGiveTheDefault() {
    QCOMPARE(ParseIniInteger("2", 0), 2);
    QCOMPARE(ParseIniInteger("-1", 0), -1);
    QCOMPARE(ParseIniInteger("0x1F", 0), 31);
    QCOMPARE(ParseIniInteger("0X0", 7), 0);
    QCOMPARE(ParseIniInteger("", 7), 7);
    QCOMPARE(ParseIniInteger("yes", 7), 7);
    QCOMPARE(ParseIniInteger("1x", 7), 7);
    QCOMPARE(ParseIniInteger("0x", 7), 7);
    QCOMPARE(ParseIniInteger("0xG", 7), 7);
    QCOMPARE(ParseIniInteger("99999999999", 7), 7);

    dbaccess::testing::TempFolder folder;
    const std::string path = folder.Write(
        "a.ini", std::string("[") + texts::kSection + "]\n" + texts::kKeyRgRenameField + "=0x2\n" +
                     texts::kKeyCbRefresh + "=no\n" + texts::kKeyCbPre + "=0x10\n");
    const Settings read = ReadSettings(path);
    QCOMPARE(read.rgRenameField, 2);
    QVERIFY(read.cbRefresh);  // not a number: the default
    QVERIFY(read.cbPre);      // 16 is not zero
  }

  void roundTripInWindows1251WithPasswordsInPlainText() {
    dbaccess::testing::TempFolder folder;
    const std::string path = folder.File("skarnvel.ini");
    Settings settings;
    settings.Path1 = "Рабочая база.mdb";
    settings.Path2 = "/data/новая/new.mdb";
    settings.Pwd1 = " пароль ";  // blanks around count
    settings.Pwd2 = "";
    settings.cbRenameField = true;
    settings.rgRenameField = 1;
    settings.cbRefresh = false;
    settings.cbPre = true;
    WriteSettings(path, settings);
    QCOMPARE(ReadSettings(path), settings);

    const std::string bytes = actions::ReadFile(path);
    QVERIFY(bytes.find(actions::cp1251::Encode("Рабочая база.mdb", nullptr)) != std::string::npos);
    QVERIFY(bytes.find("Рабочая") == std::string::npos);  // no UTF-8 on disk
    QVERIFY(bytes.find(actions::cp1251::Encode("пароль", nullptr)) != std::string::npos);
    QVERIFY(bytes.find(std::string(texts::kKeyPwd2) + " =") != std::string::npos ||
            bytes.find(std::string(texts::kKeyPwd2) + "=") != std::string::npos);
    // The keys in their order.
    const char* keys[] = {texts::kKeyPath1,     texts::kKeyPath2,         texts::kKeyPwd1,
                          texts::kKeyPwd2,      texts::kKeyCbRenameField, texts::kKeyRgRenameField,
                          texts::kKeyCbRefresh, texts::kKeyCbPre};
    size_t at = 0;
    for (const char* key : keys) {
      const size_t found = bytes.find(std::string("\n") + key, at);
      QVERIFY2(found != std::string::npos, key);
      at = found + 1;
    }
  }

  void theFileIsReadableByItsOwnerOnlyAndKeepsOtherSections() {
    dbaccess::testing::TempFolder folder;
    const std::string path =
        folder.Write("skarnvel.ini", "[Other]\nkeep=me\n[Start]\nPath1=old.mdb\nExtra=1\n");
    ::chmod(path.c_str(), 0644);
    Settings settings;
    settings.Path1 = "new.mdb";
    WriteSettings(path, settings);
    struct stat info {};
    QCOMPARE(::stat(path.c_str(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    const std::string bytes = actions::ReadFile(path);
    QVERIFY(bytes.find("keep") != std::string::npos);
    QVERIFY(bytes.find("Extra") != std::string::npos);
    QCOMPARE(ReadSettings(path).Path1, std::string("new.mdb"));
  }

  void aTextWindows1251CannotHoldIsRefusedAndNothingIsWritten() {
    dbaccess::testing::TempFolder folder;
    const std::string path = folder.File("skarnvel.ini");
    Settings settings;
    settings.Path1 = "数据.mdb";
    QVERIFY_THROWS_EXCEPTION(actions::FileError, WriteSettings(path, settings));
    QVERIFY(!actions::FileExists(path));
  }

  void theFileLiesBesideTheProgram() {
    QCOMPARE(SettingsFilePath("/opt/s/skarnvel"), std::string("/opt/s/skarnvel.ini"));
    QCOMPARE(SettingsFilePath("/opt/s.d/skarnvel.bin"), std::string("/opt/s.d/skarnvel.ini"));
  }
};

}  // namespace ui

QTEST_GUILESS_MAIN(ui::SettingsTest)
#include "settings_test.moc"
