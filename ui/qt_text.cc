#include "ui/qt_text.h"

#include <QStringList>

namespace ui {

QString Shown(std::string_view utf8) {
  QString text = Q(utf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

QStringList NameFilters(std::string_view filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ');
    const QString bracketed = QStringLiteral("(") + patterns + QStringLiteral(")");
    filters << (description.endsWith(bracketed) ? description
                                                : description + QLatin1Char(' ') + bracketed);
  }
  return filters;
}

}  // namespace ui
