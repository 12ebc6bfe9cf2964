// "Generate Report": the sections to include, the correlation matrix's rows
// and columns, number formats, the output format and fonts, over the
// workbench's report settings.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "report_dialog_core.h"
#include "report_sections.h"
#include "selection_list.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QTreeWidget;
class QWidget;

namespace tesmira::wb {

class TWorkbench;
class TFrmFormat;
class TFontTsmDialog;

class TFrmReport : public QDialog {
  Q_OBJECT
 public:
  TFrmReport(TWorkbench& wb, TRepSections& sections, QWidget* parent = nullptr);

  // Writes the report in a format into the report panel (the run commands).
  std::function<void(int format)> Generate;
  // Generates one section into a preview pane (format, section, pane).
  std::function<void(int format, int section, QTextEdit* pane)> Preview;
  // Run instead of exec() of the Format and Font dialogs (tests).
  std::function<int(TFrmFormat&)> ExecFormat;
  std::function<int(TFontTsmDialog&)> ExecFont;

  void PrepareReportDialog();
  int SelectedOutputFormat() const;
  bool IsSampleChecked(const std::string& name, bool rows) const;
  void ContentChanged();
  void GenerateClick();

  // Fonts and formats of the settings entries.
  void AddFormat(int section);
  void SetFormat();
  void RemoveFormat();
  void ResetFormats();
  void AddFont(int section);
  void SetFont();
  void RemoveFont();
  void ResetFonts();
  void RefreshFormatList();
  void RefreshFontList();

  QTabWidget* tabs = nullptr;
  QListWidget *chkContent = nullptr, *listSelSamp = nullptr, *listSelSamp2 = nullptr;
  QLabel *labWarning = nullptr, *labCorrelation = nullptr, *labTemplate = nullptr,
         *labWordNote = nullptr;
  QTreeWidget *listFormat = nullptr, *listFont = nullptr;
  QPushButton *butAddFormat = nullptr, *butSetFormat = nullptr, *butRemoveFormat = nullptr,
              *butResetFormats = nullptr, *butAddFont = nullptr, *butSetFont = nullptr,
              *butRemoveFont = nullptr, *butResetFonts = nullptr, *butTemplate = nullptr,
              *butGenerate = nullptr, *butClose = nullptr;
  QRadioButton *radPlain = nullptr, *radRtf = nullptr, *radWord = nullptr;
  QCheckBox* chkLineBreaks = nullptr;
  QWidget *panWord = nullptr, *tabFonts = nullptr;

 private:
  QWidget* BuildContent();
  QWidget* BuildFormat();
  QWidget* BuildOutput();
  QWidget* BuildFonts();
  void RefillSampleLists();
  void FillSampleList(QListWidget* list, const TSelectionList& items);
  void ReadSampleList(QListWidget* list, TSelectionList& items);
  void SelectionCommand(QListWidget* list, TSelectionCommand command);
  void SortCommand(QListWidget* list, int order);
  void OutputChanged();
  void ChooseTemplate();
  int SelectedEntryId(QTreeWidget* list) const;
  bool ModelEmpty() const;

  TWorkbench& wb_;
  TRepSections& sections_;
  std::vector<TContentItem> content_;
  TSelectionList rows_, cols_;
  bool filling_ = false;
  bool formatCancelled_ = false, fontCancelled_ = false;
};

}  // namespace tesmira::wb
