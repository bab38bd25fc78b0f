// The one place where the core's code page 1251 bytes meet Qt's Unicode strings.
#pragma once

#include <QString>
#include <string>

#include "codec/cp1251.h"

namespace quorvex::ui {

// cp1251 bytes to a QString; CR LF (and a lone CR) become the newline Qt widgets break at.
inline QString ToQ(const std::string& cp1251) {
  QString s = QString::fromUtf8(Cp1251ToUtf8(cp1251));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

// A QString as cp1251 bytes, characters cp1251 cannot hold dropped; line breaks stay as the
// widget gives them. Surrogates go first: a pair is a character beyond U+FFFF, which cp1251
// never holds, and Qt would write a lone one as "?", a character the user never typed.
inline std::string FromQ(const QString& text) {
  QString held = text;
  held.removeIf([](QChar c) { return c.isSurrogate(); });
  return Utf8ToCp1251Lossy(held.toStdString());
}

// A multi-line text of a widget as cp1251 bytes with CR LF line ends, as the core keeps memos.
inline std::string FromQLines(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
  return FromQ(s);
}

}  // namespace quorvex::ui
