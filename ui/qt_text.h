// Between the program's UTF-8 texts and Qt's strings.
#ifndef SKARNVEL_UI_QT_TEXT_H_
#define SKARNVEL_UI_QT_TEXT_H_

#include <QString>
#include <string>
#include <string_view>

namespace ui {

inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string S(const QString& text) { return text.toUtf8().toStdString(); }

// A caption, hint or message box text with its line breaks (\r\n or a lone \r) as Qt
// shows them (\n).
QString Shown(std::string_view utf8);

// A file-open dialog filter of pairs "Description|pattern;pattern|..." as Qt's name
// filters "Description (pattern pattern)"; a description that already ends with its
// patterns in brackets is kept as it stands.
QStringList NameFilters(std::string_view filter);

}  // namespace ui

#endif  // SKARNVEL_UI_QT_TEXT_H_
