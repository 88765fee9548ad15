#include "platform/files/collate.h"

#include <QCollator>
#include <QLocale>
#include <QString>

namespace platform {

int CompareLocaleText(std::string_view a, std::string_view b) {
  static const QCollator collator = [] {
    QCollator c{QLocale(QLocale::Polish, QLocale::Poland)};
    c.setCaseSensitivity(Qt::CaseSensitive);
    c.setNumericMode(false);
    c.setIgnorePunctuation(false);
    return c;
  }();
  const QString qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
  const QString qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
  const int r = collator.compare(qa, qb);
  if (r != 0) return r;
  // Texts the collation holds equal still have an order of their own.
  return qa.compare(qb);
}

}  // namespace platform
