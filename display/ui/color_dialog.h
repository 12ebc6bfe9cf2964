// The colour dialog: the colour-map, variable and element colours, the number
// of colour levels and the scatter dot size, each change shown on the plot at
// once; palette files keep a colour set.
#pragma once

#include <QDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <array>
#include <functional>

#include "doc/color_record.h"

class TTFrmColor;

// A list of colour swatches; a swatch dropped on another swatch of the same
// list exchanges colours with it.
class TColorList : public QListWidget {
  Q_OBJECT
 public:
  explicit TColorList(TTFrmColor* dialog);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  TTFrmColor* dialog_;
};

class TTFrmColor : public QDialog {
  Q_OBJECT
 public:
  // record: the colours edited in place; redraw shows them on the plot.
  // "&Cancel" puts back the record the dialog opened with.
  TTFrmColor(TColorRecord& record, std::function<void()> redraw, QWidget* parent = nullptr);

  // The page of a plot type (density and histogram share the fourth).
  void ShowPage(int plotType);
  void FillColorLists(const TColor* colormap, const TColor* variables, int dotSize, int levels,
                      const TColor* elements);
  void LabelColorLevels();
  // The dialog's values into the record (the two lists only when readLists),
  // then the plot redrawn.
  void ApplyColors(bool readLists);

  // Handlers.
  void TrackBar1Change();
  // The selected swatch of list and the swatch at row exchange colours.
  void ListDragDrop(QListWidget* list, int row);
  void ListDblClick(QListWidget* list);
  void Panel1Click(int tag);
  void SetColors(int tag);
  void Button3Click();
  void Button4Click();

  static TColor ItemColor(const QListWidgetItem* item);
  static void SetItemColor(QListWidgetItem* item, TColor color);
  TColor PanelColor(int tag) const;

  QTabWidget* PageControl1;
  TColorList *ListView1, *ListView2;
  QSlider *TrackBar1, *TrackBar2;
  std::array<QPushButton*, 9> Panel;  // Panel1 ... Panel9, element colours 0 ... 8
  QPushButton *Button1, *Button3, *Button4, *BitBtn1, *BitBtn2;
  QMenu* PresetColors;

 protected:
  void reject() override;

 private:
  void SetPanelColor(int tag, TColor color);
  // The colours the dialog shows, as a record (element 9 from the record).
  TColorRecord Shown() const;

  TColorRecord& m_record;
  TColorRecord m_backup;
  int m_levels = DefaultColormapSize;
  std::function<void()> m_redraw;
};
