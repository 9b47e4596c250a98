// Layout containers: Box (one content widget, aligned), VBox (a column) and
// Table (rows and columns with spans).
#pragma once

#include "ui/widget.h"

// A Container holding one content widget at (0, 0). Style words 0 and 1 are
// minimum sizes (exact with word 2); the content is aligned by words 3
// (horizontal: -1 left, 1 right, else centre) and 4 (vertical). A Box of
// 640 by 640 centres its content in the view.
class Box : public Container {
 public:
  explicit Box(Widget* content = nullptr);
  Widget* content();
  void measure() override;

 protected:
  void layout_children() override;
};

// Children stacked from the top, each as wide as the column.
class VBox : public Container {
 public:
  VBox();
  void add(Widget* child, float x = 0, float y = 0) override;
  void measure() override;

 protected:
  void layout_children() override;
};

// Rows and columns. The caller opens a row (new_row) before adding the
// cells of that row; add() puts the widget into the next free column of
// the current row (one that no cell or span takes), found without a walk
// over the cells, so that a table of many rows builds in time linear in
// its cells. Cells are stretched to their column widths and row
// heights; wrap a widget in a Box to keep its own size. Style words 0 and 1
// are the table's width and height: extra room is shared out evenly among
// the columns and rows.
class Table : public Container {
 public:
  int cur_row = -1;
  int cur_col = 0;

  Table();
  void new_row();
  // Adds to the current row (opening the first row when none is open);
  // x and y are ignored.
  void add(Widget* child, float x = 0, float y = 0) override;
  // Adds at an explicit cell with spans.
  void add_at(Widget* child, int col, int row, int col_span, int row_span);
  void measure() override;
  int rows() const;
  int cols() const;

 protected:
  void layout_children() override;
  void grid(std::vector<float>* colw, std::vector<float>* rowh, float total_w,
            float total_h);

 private:
  // The columns that the cells (spans included) take, row by row, kept as
  // cells are added; taken_cells_ counts the children marked in it. Cells
  // taken out (detach, remove, reset) leave the count apart from the
  // children's, and the marks are made again from the children.
  std::vector<std::vector<bool>> taken_;
  size_t taken_cells_ = 0;
  void sync_taken();
  void take(const Widget* cell);
  bool is_taken(int col, int row) const;
};
