// The display program's main window: menus, tool bar, the plot frame and the
// side panel of plot parameters; it owns the document.
#pragma once

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

#include "doc/sample_data_view.h"
#include "doc/settings.h"
#include "ui/tesplore_view.h"

// SyncDocument groups.
enum : std::uint32_t {
  SyncVariables = 1,
  SyncParameters = 2,
  SyncSamples = 4,
  SyncRedraw = 8,
  SyncBounds = 16,
  SyncChecks = 32,
  SyncAll = 0xff,
};

// Holds the window's updating guard for the life of a scope; nested scopes
// keep it until the outermost ends.
class TUpdating {
 public:
  explicit TUpdating(int& counter) : counter_(counter) { ++counter_; }
  ~TUpdating() { --counter_; }
  TUpdating(const TUpdating&) = delete;
  TUpdating& operator=(const TUpdating&) = delete;

 private:
  int& counter_;
};

// The window's rectangle from the stored placement, kept inside the available
// area of the screen: moved in, and made smaller only where it is larger than
// that area. Invalid when the placement is not stored.
QRect PlacedRect(const TWindowPlacement& placement, const QRect& available);

class TFrmTesplore : public QMainWindow, public IDocumentErrors {
  Q_OBJECT
 public:
  // available: the screen area the window is placed in (the primary screen's
  // available geometry when empty).
  explicit TFrmTesplore(QRect available = QRect());
  ~TFrmTesplore() override;

  void LoadAndShowSampleFile(const QString& path);
  void SyncDocument(bool toDocument, std::uint32_t flags);
  void RecordUndo(std::uint32_t kind, std::unique_ptr<TColorRecord> colours = nullptr);
  void UpdateCaption();
  void ShowPlotPanels(bool show);
  void EnableFileCommands(bool enable);
  void EnablePlotControls(bool enable);
  void SetPlotType(int type);
  void ResetVariables(bool refresh = true);
  void ResetPlotParams(bool refresh = true);
  // Handles a typed character as the window's key preview does.
  void TypedKey(const QString& text);

  SampleDataView& Document() { return m_document; }
  TFrmTesploreView* View() const { return m_tesploreView; }
  const QString& CurrentFile() const { return m_currentFile; }
  QStringList RecentFiles() const;
  bool RealTimeUpdates() const { return m_actRT->isChecked(); }

  void ShowException(const ut::String& caption, const ut::Exception& e,
                     const ut::String& message) override;

  // Named parts, for the commands and the tests.
  QAction *m_actOpen, *m_actSaveSel, *m_actExport, *m_actPrint, *m_actExit;
  QAction *m_actUndo, *m_actRedo, *m_actCopy;
  std::array<QAction*, 5> m_actPlot;
  std::array<QAction*, 4> m_mru;
  QAction *m_actParameters, *m_actToolbar, *m_actRT, *m_actReset;
  QAction *m_actResetVars, *m_actResetParams, *m_actResetAll;
  QAction *m_actSelAll, *m_actSelNone, *m_actSelInvert;
  QAction *m_actIndex, *m_actHelpFile, *m_actAbout;
  QAction *m_actColor, *m_actFont, *m_actInterface, *m_actEditLayout;
  QMenu* PopupVar;
  QSplitter* Splitter1;
  QToolBar* ToolBar1;
  QLabel* Label9;
  QAction* m_actLabel9;  // Label9's place on the tool bar
  QLabel* PrintPanel;
  QToolButton *butRT, *ToolButton15;
  QWidget* Panel1;
  QWidget *Panel2, *OptSmooth, *OptScale1, *OptScale2, *OptFit;
  QLabel* TotalSamples;
  QSlider* NumSamplesT;
  QLineEdit* NumSamplesE;
  QListWidget* m_lstRandVar;
  QLabel* labSmooth;
  QSlider* BWidth;
  QRadioButton *Cob0, *Cob1, *Cob2, *Dens0, *Dens1, *Dens2, *Fit1, *Fit2, *Fit3;
  QCheckBox *chkCrossDensity, *FitAuto;
  std::array<QLineEdit*, 4> m_bounds;  // Edit1 ... Edit4
  std::array<QSlider*, 4> m_zoomBars;  // TrackBar1 ... TrackBar4

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenus();
  void BuildFileMenu();
  void BuildEditMenu();
  void BuildViewMenu();
  void BuildVariableShortcuts();
  void BuildOptionsAndHelpMenus();
  void BuildToolBar();
  void BuildSidePanel();
  void FitSidePanel();
  void BuildVariablesArea();
  void BuildPlotOptions(QVBoxLayout* opts);
  QPushButton* BuildFitOptions(QVBoxLayout* opts);
  void ConnectSidePanel(QPushButton* fitNow);
  // The controls into the document or the document into the controls, in
  // the groups of flags.
  void ControlsToDocument(std::uint32_t flags);
  void DocumentToControls(std::uint32_t flags);
  void ShowSmoothing();
  void UpdateRecentFiles(const QString& path);
  void StepHistory(bool undo);
  bool NothingToPlot() const;
  void OpenFile();
  void SaveSelection();
  void VarSel(int tag);
  void ListCheckChanged(QListWidgetItem* item);
  void ListCurrentChanged(int previous);
  void ListDropped();
  void NumSamplesChanged();
  void NumSamplesEdited();
  void BoundEdited();
  void ZoomBarChanged(int tag);
  void ResetSliders(int first);
  void ZoomToSliders();
  void ShowKeys();
  void Colors1Click();
  void Font1Click();
  void Misc1Click();
  void About1Click();

  TFrmTesploreView* m_tesploreView;  // created first: it reads its settings first
  SampleDataView m_document;
  std::string m_settingsPath;
  TMainSettings m_settings;
  QString m_currentFile;
  QString m_lastOpened;
  int m_updating = 0;
  int m_currentRow = 0;
  bool m_written = false;
};
