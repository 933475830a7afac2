#include "ui/settings.h"

#include <charconv>
#include <cstdint>
#include <string>

#define SI_NO_CONVERSION
#include <SimpleIni.h>

#include <QString>

#include "actions/cp1251.h"
#include "actions/file_io.h"
#include "actions/rtf_log.h"
#include "actions/unattended_interaction.h"
#include "ui/qt_text.h"
#include "ui/ui_texts.h"

namespace ui {
namespace {

constexpr int kHexBase = 16;
constexpr int kDecimalBase = 10;

std::string Encoded(const std::string& path, const std::string& utf8) {
  return actions::cp1251::Encode(utf8, [&path](char32_t c, std::string&) {
    const char32_t shown[] = {c, 0};
    throw actions::FileError(path,
                             S(Q(texts::kNoCharacterInCodePage).arg(QString::fromUcs4(shown))));
  });
}

class IniFile {
 public:
  IniFile() { ini_.SetQuotes(true); }

  void Load(const std::string& bytes) { ini_.LoadData(bytes); }

  const char* Raw(const char* key) const { return ini_.GetValue(texts::kSection, key); }

  std::string Text(const char* key) const {
    const char* value = Raw(key);
    return value == nullptr ? std::string() : actions::cp1251::Decode(value);
  }

  int Integer(const char* key, int fallback) const {
    const char* value = Raw(key);
    return value == nullptr ? fallback : ParseIniInteger(value, fallback);
  }

  bool Boolean(const char* key, bool fallback) const { return Integer(key, fallback ? 1 : 0) != 0; }

  void Set(const char* key, const std::string& cp1251_bytes) {
    ini_.SetValue(texts::kSection, key, cp1251_bytes.c_str());
  }

  std::string Bytes() const {
    std::string bytes;
    ini_.Save(bytes);
    return bytes;
  }

 private:
  CSimpleIniA ini_;
};

}  // namespace

std::string SettingsFilePath(const std::string& program_path) {
  // The log file follows the same rule with another extension.
  std::string path = actions::LogFilePath(program_path);
  const std::string log_extension = ".log";
  path.resize(path.size() - log_extension.size());
  return path + texts::kIniExtension;
}

int ParseIniInteger(std::string_view text, int fallback) {
  std::string_view digits = text;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  int base = kDecimalBase;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
    base = kHexBase;
    digits.remove_prefix(2);
  }
  if (digits.empty() || digits.front() == '-' || digits.front() == '+') return fallback;
  long long value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, base);
  if (error != std::errc() || end != digits.data() + digits.size()) return fallback;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return fallback;
  return static_cast<int>(value);
}

Settings ReadSettings(const std::string& path) {
  if (!actions::FileExists(path)) return Settings();
  return ParseSettings(actions::ReadFile(path));
}

Settings ParseSettings(const std::string& bytes) {
  Settings settings;
  IniFile ini;
  ini.Load(bytes);
  settings.Path1 = ini.Text(texts::kKeyPath1);
  settings.Path2 = ini.Text(texts::kKeyPath2);
  settings.Pwd1 = ini.Text(texts::kKeyPwd1);
  settings.Pwd2 = ini.Text(texts::kKeyPwd2);
  settings.cbRenameField = ini.Boolean(texts::kKeyCbRenameField, settings.cbRenameField);
  settings.rgRenameField = ini.Integer(texts::kKeyRgRenameField, settings.rgRenameField);
  settings.cbRefresh = ini.Boolean(texts::kKeyCbRefresh, settings.cbRefresh);
  settings.cbPre = ini.Boolean(texts::kKeyCbPre, settings.cbPre);
  settings.FonOnRelation = actions::RelationAnswerFromWord(ini.Text(texts::kKeyFonOnRelation))
                               .value_or(settings.FonOnRelation);
  settings.FonOnDataLoss = actions::DataLossRuleFromWord(ini.Text(texts::kKeyFonOnDataLoss))
                               .value_or(settings.FonOnDataLoss);
  return settings;
}

void WriteSettings(const std::string& path, const Settings& settings) {
  IniFile ini;
  if (actions::FileExists(path)) ini.Load(actions::ReadFile(path));
  const auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
  ini.Set(texts::kKeyPath1, Encoded(path, settings.Path1));
  ini.Set(texts::kKeyPath2, Encoded(path, settings.Path2));
  ini.Set(texts::kKeyPwd1, Encoded(path, settings.Pwd1));
  ini.Set(texts::kKeyPwd2, Encoded(path, settings.Pwd2));
  ini.Set(texts::kKeyCbRenameField, flag(settings.cbRenameField));
  ini.Set(texts::kKeyRgRenameField, std::to_string(settings.rgRenameField));
  ini.Set(texts::kKeyCbRefresh, flag(settings.cbRefresh));
  ini.Set(texts::kKeyCbPre, flag(settings.cbPre));
  actions::ReplaceFile(path, ini.Bytes(), actions::FileAccess::kOwnerOnly);
}

}  // namespace ui
