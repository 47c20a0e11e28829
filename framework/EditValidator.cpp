#include "EditValidator.h"

#include <algorithm>

#include "Cp1252Text.h"
#include "EditControl.h"

namespace orvane {
namespace {

qsizetype commonPrefix(const QString& a, const QString& b) {
  const qsizetype limit = std::min(a.size(), b.size());
  qsizetype n = 0;
  while (n < limit && a[n] == b[n]) ++n;
  return n;
}

qsizetype commonSuffix(const QString& a, const QString& b, qsizetype limit) {
  qsizetype n = 0;
  while (n < limit && a[a.size() - 1 - n] == b[b.size() - 1 - n]) ++n;
  return n;
}

bool acceptable(char32_t c, bool digitsOnly) {
  if (digitsOnly) return c >= '0' && c <= '9';
  if (c < 0x20 && c != '\t') return false;  // line breaks and other controls from a paste
  return fitsCp1252(c);
}

// Keeps the acceptable characters of an inserted piece; a surrogate pair is never acceptable,
// since the code page lies wholly in the basic plane.
QString keepAcceptable(const QString& inserted, bool digitsOnly) {
  QString kept;
  for (const QChar c : inserted) {
    if (!c.isSurrogate() && acceptable(c.unicode(), digitsOnly)) kept.append(c);
  }
  return kept;
}

}  // namespace

EditValidator::EditValidator(EditControl& edit) : QValidator(&edit), edit_(edit) {}

QValidator::State EditValidator::validate(QString& input, int& pos) const {
  if (edit_.writingSystemText()) return Acceptable;
  const Change change = filterOperatorChange(edit_.committedText(), input, pos, edit_.inputLimit(),
                                             edit_.digitsOnly());
  input = change.text;
  pos = change.cursor;
  return Acceptable;
}

EditValidator::Change EditValidator::filterOperatorChange(const QString& before,
                                                          const QString& after, int cursor,
                                                          int limit, bool digitsOnly) {
  const qsizetype prefix = commonPrefix(before, after);
  const qsizetype suffix =
      commonSuffix(before, after, std::min(before.size(), after.size()) - prefix);
  const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
  QString kept = keepAcceptable(inserted, digitsOnly);
  if (limit > 0) {
    // Like the platform's edit: what is already there stays, even beyond the limit.
    const qsizetype remaining = prefix + suffix;
    kept.truncate(std::max<qsizetype>(0, limit - remaining));
  }
  const auto dropped = static_cast<int>(inserted.size() - kept.size());
  const auto insertEnd = static_cast<int>(after.size() - suffix);
  int newCursor = cursor;
  if (cursor >= insertEnd) {
    newCursor = cursor - dropped;
  } else if (cursor > prefix) {
    newCursor = static_cast<int>(prefix + std::min<qsizetype>(cursor - prefix, kept.size()));
  }
  return {before.left(prefix) + kept + before.right(suffix), newCursor};
}

}  // namespace orvane
