#pragma once

#include <QString>
#include <QValidator>

namespace orvane {

class EditControl;

// Stands between the operator and an edit: what the operator types or pastes keeps only the
// characters the console's code page can hold (digits only where the edit wants digits), and
// no more of them than the edit's input limit leaves room for. Text the program writes passes
// untouched, so a longer text written by the program is shown whole and can still be shortened.
class EditValidator : public QValidator {
  Q_OBJECT

 public:
  explicit EditValidator(EditControl& edit);

  State validate(QString& input, int& pos) const override;

  struct Change {
    QString text;
    int cursor = 0;
  };
  // What is left of an operator's change from `before` to `after` (the cursor standing at
  // `cursor` in `after`). A `limit` of 0 means no limit.
  static Change filterOperatorChange(const QString& before, const QString& after, int cursor,
                                     int limit, bool digitsOnly);

 private:
  EditControl& edit_;
};

}  // namespace orvane
