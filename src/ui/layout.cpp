// Box, VBox and Table layout.
#include "ui/layout.h"

#include <algorithm>

Box::Box(Widget* c) {
  if (c) add(c, 0, 0);
}

Widget* Box::content() { return children.empty() ? nullptr : children[0]; }

// The content's own size: where the last layout put it does not count, or
// a Box larger than its content would grow by that offset at every change.
void Box::measure() {
  float mw = 0, mh = 0;
  for (Widget* c : children) {
    c->measure();
    mw = std::max(mw, c->nat_w);
    mh = std::max(mh, c->nat_h);
  }
  content_w = mw;
  content_h = mh;
  box_measure();
  box_resize();
  layout_children();
}

void Box::layout_children() {
  for (Widget* c : children) {
    c->resize(c->nat_w, c->nat_h);
    int ha = style.get_or(SW_ALIGN, 0), va = style.get_or(SW_VALIGN, 0);
    c->x = ha < 0 ? 0 : ha > 0 ? cw - c->w : (cw - c->w) / 2;
    c->y = va < 0 ? 0 : va > 0 ? ch - c->h : (ch - c->h) / 2;
  }
}

VBox::VBox() = default;

void VBox::add(Widget* child, float, float) {
  Container::add(child, 0, 0);
}

void VBox::measure() {
  float mw = 0, mh = 0;
  for (Widget* c : children) {
    c->measure();
    mw = std::max(mw, c->nat_w);
    mh += c->nat_h;
  }
  content_w = mw;
  content_h = mh;
  box_measure();
  box_resize();
  layout_children();
}

void VBox::layout_children() {
  float y0 = 0;
  for (Widget* c : children) {
    c->x = 0;
    c->y = y0;
    c->resize(cw, c->nat_h);
    y0 += c->nat_h;
  }
}

Table::Table() = default;

void Table::new_row() {
  cur_row++;
  cur_col = 0;
}

int Table::rows() const {
  int n = 0;
  for (Widget* c : children) n = std::max(n, c->row + c->row_span);
  return n;
}

int Table::cols() const {
  int n = 0;
  for (Widget* c : children) n = std::max(n, c->col + c->col_span);
  return n;
}

void Table::add(Widget* child, float, float) {
  if (!child) return;
  if (cur_row < 0) new_row();
  sync_taken();
  while (is_taken(cur_col, cur_row)) cur_col++;
  add_at(child, cur_col, cur_row, 1, 1);
  cur_col++;
}

void Table::add_at(Widget* child, int c, int r, int cs, int rs) {
  if (!child) return;
  child->col = std::max(0, c);
  child->row = std::max(0, r);
  child->col_span = std::max(1, cs);
  child->row_span = std::max(1, rs);
  sync_taken();
  Container::add(child, 0, 0);
  take(child);
  taken_cells_++;
}

void Table::sync_taken() {
  if (taken_cells_ == children.size()) return;
  taken_.clear();
  for (Widget* c : children) take(c);
  taken_cells_ = children.size();
}

void Table::take(const Widget* cell) {
  size_t bottom = static_cast<size_t>(cell->row + cell->row_span);
  size_t right = static_cast<size_t>(cell->col + cell->col_span);
  if (taken_.size() < bottom) taken_.resize(bottom);
  for (size_t r = static_cast<size_t>(cell->row); r < bottom; r++) {
    std::vector<bool>& cols = taken_[r];
    if (cols.size() < right) cols.resize(right, false);
    for (size_t k = static_cast<size_t>(cell->col); k < right; k++) cols[k] = true;
  }
}

bool Table::is_taken(int col, int row) const {
  if (row < 0 || static_cast<size_t>(row) >= taken_.size()) return false;
  const std::vector<bool>& cols = taken_[static_cast<size_t>(row)];
  return col >= 0 && static_cast<size_t>(col) < cols.size() && cols[static_cast<size_t>(col)];
}

// Column widths and row heights from the cells' natural sizes; extra room
// (total_w and total_h above the natural sums) is shared out evenly.
void Table::grid(std::vector<float>* colw, std::vector<float>* rowh,
                 float total_w, float total_h) {
  colw->assign(cols(), 0);
  rowh->assign(rows(), 0);
  for (int pass = 0; pass < 2; pass++)
    for (Widget* c : children) {
      bool single_c = c->col_span == 1, single_r = c->row_span == 1;
      if ((pass == 0) != single_c) {
      } else if (single_c) {
        (*colw)[c->col] = std::max((*colw)[c->col], c->nat_w);
      } else {
        float sum = 0;
        for (int i = 0; i < c->col_span; i++) sum += (*colw)[c->col + i];
        if (sum < c->nat_w) (*colw)[c->col + c->col_span - 1] += c->nat_w - sum;
      }
      if ((pass == 0) != single_r) {
      } else if (single_r) {
        (*rowh)[c->row] = std::max((*rowh)[c->row], c->nat_h);
      } else {
        float sum = 0;
        for (int i = 0; i < c->row_span; i++) sum += (*rowh)[c->row + i];
        if (sum < c->nat_h) (*rowh)[c->row + c->row_span - 1] += c->nat_h - sum;
      }
    }
  auto share = [](std::vector<float>* v, float total) {
    float sum = 0;
    for (float f : *v) sum += f;
    if (v->empty() || total <= sum) return;
    float each = (total - sum) / v->size();
    for (float& f : *v) f += each;
  };
  share(colw, total_w);
  share(rowh, total_h);
}

void Table::measure() {
  for (Widget* c : children) c->measure();
  std::vector<float> colw, rowh;
  grid(&colw, &rowh, 0, 0);
  content_w = 0;
  content_h = 0;
  for (float f : colw) content_w += f;
  for (float f : rowh) content_h += f;
  box_measure();
  box_resize();
  layout_children();
}

void Table::layout_children() {
  std::vector<float> colw, rowh;
  grid(&colw, &rowh, cw, ch);
  std::vector<float> colx(colw.size() + 1, 0), rowy(rowh.size() + 1, 0);
  for (size_t i = 0; i < colw.size(); i++) colx[i + 1] = colx[i] + colw[i];
  for (size_t i = 0; i < rowh.size(); i++) rowy[i + 1] = rowy[i] + rowh[i];
  for (Widget* c : children) {
    c->x = colx[c->col];
    c->y = rowy[c->row];
    c->resize(colx[c->col + c->col_span] - c->x, rowy[c->row + c->row_span] - c->y);
  }
}
