// Every text of the shown form is whole and readable: no label runs past the
// room its widget gives it, into another widget or another label, or across
// the frame of its group, and every item of a choice fits into the choice.
// The texts are measured with the fonts of the display the test runs on.
#include <sstream>

#include <FL/Fl_Box.H>
#include <FL/Fl_Light_Button.H>
#include <FL/fl_draw.H>

#include "gui_test_support.h"

namespace {

using Labels = GuiTest;

struct rect {
  int x, y, w, h;
  bool overlaps(const rect &o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
  bool inside(const rect &o) const { return x >= o.x && y >= o.y && x + w <= o.x + o.w && y + h <= o.y + o.h; }
};

std::ostream &operator<<(std::ostream &s, const rect &r)
{
  return s << r.x << "," << r.y << " " << r.w << "x" << r.h;
}

rect bounds(const Fl_Widget *w) { return {w->x(), w->y(), w->w(), w->h()}; }

// Inside the box's border.
rect interior(const Fl_Widget *w)
{
  const Fl_Boxtype b = w->box();
  return {w->x() + Fl::box_dx(b), w->y() + Fl::box_dy(b), w->w() - Fl::box_dw(b), w->h() - Fl::box_dh(b)};
}

struct label_ink {
  const Fl_Widget *owner;
  rect text;  // where the text is drawn
  rect space; // the room it has: the widget's label area, or the frame around it
};

// Framed group around the widget, or the window.
rect frame_of(const Fl_Widget *w)
{
  for (const Fl_Group *g = w->parent(); g; g = g->parent())
    if (g->box() != FL_NO_BOX)
      return interior(g);
  return bounds(main_window);
}

// Where FLTK 1.1 draws the label: inside the widget's label area, or outside
// in the band its parent gives it next to the widget.
label_ink ink_of(const Fl_Widget *w)
{
  fl_font(w->labelfont(), w->labelsize());
  int tw = 0, th = 0;
  fl_measure(w->label(), tw, th, 0);
  int a = w->align();
  rect area;
  const bool inside = !(a & 15) || (a & FL_ALIGN_INSIDE);
  if (inside && dynamic_cast<const Fl_Light_Button *>(w)) {
    // The light or check mark takes a square of the label's size.
    const int dx = Fl::box_dx(w->box()) + 2;
    area = {w->x() + w->labelsize() + 2 * dx, w->y(), w->w() - w->labelsize() - 2 * dx, w->h()};
  } else if (inside) {
    area = interior(w);
    if (area.w > 11 && (a & (FL_ALIGN_LEFT | FL_ALIGN_RIGHT))) {
      area.x += 3;
      area.w -= 6;
    }
  } else {
    const Fl_Group *p = w->parent();
    area = bounds(w);
    if (a & FL_ALIGN_TOP) {
      a ^= FL_ALIGN_BOTTOM | FL_ALIGN_TOP;
      area.y = p->y();
      area.h = w->y() - p->y();
    } else if (a & FL_ALIGN_BOTTOM) {
      a ^= FL_ALIGN_BOTTOM | FL_ALIGN_TOP;
      area.y = w->y() + w->h();
      area.h = p->y() + p->h() - area.y;
    } else if (a & FL_ALIGN_LEFT) {
      a ^= FL_ALIGN_LEFT | FL_ALIGN_RIGHT;
      area.x = p->x();
      area.w = w->x() - p->x() - 3;
    } else if (a & FL_ALIGN_RIGHT) {
      a ^= FL_ALIGN_LEFT | FL_ALIGN_RIGHT;
      area.x = w->x() + w->w() + 3;
      area.w = p->x() + p->w() - area.x;
    }
  }
  rect text{area.x + (area.w - tw) / 2, area.y + (area.h - th) / 2, tw, th};
  if (a & FL_ALIGN_LEFT)
    text.x = area.x;
  else if (a & FL_ALIGN_RIGHT)
    text.x = area.x + area.w - tw;
  if (a & FL_ALIGN_TOP)
    text.y = area.y;
  else if (a & FL_ALIGN_BOTTOM)
    text.y = area.y + area.h - th;
  return {w, text, inside ? area : frame_of(w)};
}

// The visible widgets below g, groups included.
void collect(const Fl_Group *g, std::vector<const Fl_Widget *> &all)
{
  for (int i = 0; i < g->children(); ++i) {
    const Fl_Widget *w = g->child(i);
    if (!w->visible_r() || w == &main_scroll->scrollbar || w == &main_scroll->hscrollbar)
      continue;
    all.push_back(w);
    if (const Fl_Group *sub = dynamic_cast<const Fl_Group *>(w))
      collect(sub, all);
  }
}

// What a widget draws besides its label: its box, or the light of a light
// button without box. Plain groups draw nothing; frames count for the
// labels outside them only.
bool draws_body(const Fl_Widget *w, rect &body)
{
  if (w->box() != FL_NO_BOX) {
    body = bounds(w);
    return true;
  }
  if (dynamic_cast<const Fl_Light_Button *>(w)) {
    const int dx = Fl::box_dx(w->box()) + 2;
    body = {w->x(), w->y(), w->labelsize() + 2 * dx, w->h()};
    return true;
  }
  return false;
}

std::string name_of(const Fl_Widget *w)
{
  return w->label() && w->label()[0] ? "\"" + std::string(w->label()) + "\"" : "unlabelled widget";
}

} // namespace

TEST_F(Labels, NoLabelIsCutCrossesItsFrameOrRunsIntoAnotherWidget)
{
  main_window->show();
  Fl::check();
  std::vector<const Fl_Widget *> widgets;
  collect(main_scroll, widgets);
  std::vector<label_ink> labels;
  for (const Fl_Widget *w : widgets)
    if (w->label() && w->label()[0])
      labels.push_back(ink_of(w));
  ASSERT_GE(labels.size(), 50u);

  for (const label_ink &l : labels) {
    SCOPED_TRACE(name_of(l.owner));
    EXPECT_TRUE(l.text.inside(l.space)) << "text " << l.text << " has only " << l.space;
    for (const Fl_Widget *other : widgets) {
      rect body;
      if (other == l.owner || other->contains(l.owner) || !draws_body(other, body))
        continue;
      EXPECT_FALSE(l.text.overlaps(body)) << "text " << l.text << " runs into " << name_of(other) << " at " << body;
    }
    for (const label_ink &m : labels) {
      if (&m >= &l)
        continue;
      EXPECT_FALSE(l.text.overlaps(m.text)) << "text " << l.text << " runs into " << name_of(m.owner) << " at "
                                            << m.text;
    }
  }
  main_window->hide();
}

TEST_F(Labels, EveryItemOfEveryChoiceFitsBesideTheChoicesArrow)
{
  main_window->show();
  Fl::check();
  int choices = 0;
  for (Fl_Choice *c : {choice_mask_Seq, choice_outputFormat, choice_reportUnit, choice_printRepeatMode,
                       choice_NPerfection, choice_removeHidden}) {
    ++choices;
    // The arrow is a square of the inner height, at most 20 wide; the item
    // text keeps a margin of 3 on either side.
    const rect in = interior(c);
    const int room = in.w - (in.h > 20 ? 20 : in.h) - 6;
    for (int i = 0; i < c->size() - 1; ++i) {
      const Fl_Menu_Item &item = c->menu()[i];
      fl_font(item.labelfont(), item.labelsize() ? item.labelsize() : c->textsize());
      int tw = 0, th = 0;
      fl_measure(item.label(), tw, th, 0);
      EXPECT_LE(tw, room) << "\"" << item.label() << "\" in " << name_of(c);
      EXPECT_LE(th, in.h) << "\"" << item.label() << "\" in " << name_of(c);
    }
  }
  EXPECT_EQ(choices, 6);
  main_window->hide();
}
