#pragma once

#include "CListCtrl.h"
#include "TextListRows.h"

namespace orvane {

// The list editor's rows as the radiotext list file sees them: column 0 ORD, 1 TEXTO, 2 TMS.
class ListViewRows : public TextListRows {
 public:
  explicit ListViewRows(CListCtrl& list) : list_(list) {}

  std::size_t rowCount() const override;
  std::string cell(std::size_t row, int column) const override;
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override;

 private:
  CListCtrl& list_;
};

}  // namespace orvane
