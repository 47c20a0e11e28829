#pragma once

#include <string>
#include <vector>

#include "CListCtrl.h"
#include "TextListRows.h"

namespace orvane {

// The list editor's rows as the radiotext list file sees them: column 0 ORD, 1 TEXTO, 2 TMS.
// Appended rows wait here and reach the list in one insertion, when anything asks for the rows
// or at the end: a million rows loaded one by one cost the view a layout and three signals each.
class ListViewRows : public TextListRows {
 public:
  explicit ListViewRows(CListCtrl& list) : list_(list) {}
  ~ListViewRows() override { flush(); }
  ListViewRows(const ListViewRows&) = delete;
  ListViewRows& operator=(const ListViewRows&) = delete;

  std::size_t rowCount() const override;
  std::string cell(std::size_t row, int column) const override;
  void appendRow(const std::string& order, const std::string& text,
                 const std::string& dwell) override;

 private:
  void flush() const;

  CListCtrl& list_;
  mutable std::vector<std::vector<std::string>> pending_;
};

}  // namespace orvane
