// The plot frame: draws every plot into one off-screen picture and shows it on
// its paint surface, which also takes the mouse and passes dropped files on.
#pragma once

#include <QImage>
#include <QMenu>
#include <QWidget>
#include <functional>
#include <string>

#include "doc/sample_data_view.h"
#include "doc/settings.h"
#include "ui/plot_render.h"

class TFrmTesploreView;

// Bytes per row of the frame's picture of the given width.
int PictureStride(int width);

// The visible control: the frame's picture and, while the frame has the focus
// and no mouse operation runs, a focus rectangle.
class TPaint : public QWidget {
  Q_OBJECT
 public:
  explicit TPaint(TFrmTesploreView* frame);
  void SetImage(const QImage* image) { image_ = image; }
  // Shows the picture with the rubber band over it as a dotted frame at the
  // next paint.
  void DrawBand(const TRect& band);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TFrmTesploreView* frame_;
  const QImage* image_ = nullptr;
  TRect band_;
  bool showBand_ = false;
};

class TFrmTesploreView : public QWidget {
  Q_OBJECT
 public:
  // Reads the Export and Interface settings from the settings file at path
  // (the program's settings file when empty).
  explicit TFrmTesploreView(QWidget* parent = nullptr, std::string settingsPath = std::string());
  // Writes them back.
  ~TFrmTesploreView() override;

  void SetDocument(SampleDataView* document);
  SampleDataView* Document() const { return m_document; }
  void SetImageSize(int w, int h);
  // Draws the current plot into the picture, or onto canvas (a printer's) when
  // given; repaint shows the picture afterwards.
  void Render(bool repaint, QPainter* canvas = nullptr);
  void RepaintSurface();
  // Lays the plot out again for the frame's size and fonts and redraws it.
  void FrameResize();

  const QImage& Image() const { return m_image; }
  // Bits per pixel of the picture as exports write it: 24 for scatter plots,
  // else 8 with the palette.
  int ImageDepth() const { return m_depth; }
  const TRect& WholeRect() const { return m_whole; }
  const TRect& PlotRect() const { return m_plot; }
  // Printing lays the page out on the printer and puts the screen's back.
  void SetRects(const TRect& whole, const TRect& plot) {
    m_whole = whole;
    m_plot = plot;
  }
  int MouseState() const { return m_mouseState; }
  void SetMouseState(int state) { m_mouseState = state; }
  std::int32_t SelectionMode() const { return m_settings.SelectionMode; }
  void SetSelectionMode(std::int32_t mode) { m_settings.SelectionMode = mode; }
  TFrameSettings& Settings() { return m_settings; }
  TPaint* Surface() const { return m_surface; }
  QMenu* PopupSel() const { return m_popupSel; }
  // Printing in grayscale: density curves get line styles.
  void SetGrayscale(bool on) { m_grayscale = on; }
  // Threads for drawing cobweb lines into the picture.
  void SetThreads(int threads) { m_threads = threads; }
  // Called when scatter, density or histogram plots refit the box, so that the
  // window shows the box fields.
  std::function<void()> OnBoxChanged;
  // Called with the paths of files dropped on the plot.
  std::function<void(const QStringList&)> OnFilesDropped;

  // The main window's part in mouse work: recording an undo snapshot of a
  // kind, setting its controls from the document, and its real-time switch.
  std::function<void(std::uint32_t)> OnRecordUndo;
  std::function<void(std::uint32_t)> OnSyncToControls;
  std::function<bool()> RealTimeUpdates;

  void FrameMouseDown(Qt::MouseButton button, int x, int y);
  void FrameMouseMove(int x, int y);
  void FrameMouseUp(Qt::MouseButton button, int x, int y);
  const TRect& BandRect() const { return m_band; }

  // Writes the picture to a file; its extension chooses the format (none or
  // ".bmp" bitmap, ".png", ".gif", ".tif", anything else JPEG).
  bool ExportImage(const QString& file);
  // The picture at the given bits per pixel: 8 with the palette, or 24.
  QImage ExportPicture(int depth) const;
  void CopyToClipboard();
  // Prints the plot on a page with the title and an information line; the
  // printer's document takes the caption.
  void PrintPlot(const QString& caption);
  void SetPrintTitle(const QString& title) { m_printTitle = title; }
  // Shows the printing progress texts; an empty text hides them.
  std::function<void(const QString&)> OnPrintStatus;

  void PSel0Click(int tag);
  void Removethesamplesfilter1Click();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  std::vector<int> AxisPositions() const;
  int AxesTop() const;
  void EndNameDrag(int x, int y);

  QImage m_image;
  int m_depth = 8;
  int m_mouseState = MouseIdle;
  QPoint m_press;
  TRect m_whole, m_plot, m_band;
  SampleDataView* m_document = nullptr;
  TPaint* m_surface;
  QMenu* m_popupSel;
  std::string m_settingsPath;
  TFrameSettings m_settings;
  bool m_grayscale = false;
  int m_threads = 1;
  // Working copies of the shown variables' ranges during a range selection.
  std::vector<fn::CVarRange> m_working;
  QString m_printTitle;
};
