#include "report_dialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <optional>

#include "cp437.h"
#include "font_dialog.h"
#include "format_dialog.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The names of a run's sample list (kind 11 or 12), trimmed and lower-cased,
// without composite nodes.
std::vector<std::string> SampleNames(int kind) {
  std::vector<std::string> names;
  auto* list = static_cast<TSampleList*>(Fetch_object(kind, 0, nullptr, nullptr));
  if (!list) return names;
  for (int i = 0; i < list->count && i < 1000; ++i) {
    std::string n = Lower(Trim(Cp437ToUtf8(ShortStringView(list->entries[i].name))));
    if (n.rfind("comp_node", 0) == 0) continue;
    names.push_back(n);
  }
  return names;
}

const int kIdRole = Qt::UserRole;

struct TEntryButton {
  const char* name;
  const char* text;
  QPushButton** button;
};

// A list of settings entries ("Section" and one more column) with its four
// buttons at the right.
QTreeWidget* EntryList(QWidget* page, QHBoxLayout* layout, const char* name, const char* column,
                       const std::array<TEntryButton, 4>& buttons) {
  auto* list = new QTreeWidget(page);
  list->setObjectName(name);
  list->setRootIsDecorated(false);
  list->setHeaderLabels({"Section", column});
  layout->addWidget(list, 1);
  auto* b = new QVBoxLayout;
  layout->addLayout(b);
  for (const TEntryButton& e : buttons) {
    *e.button = new QPushButton(e.text, page);
    (*e.button)->setObjectName(e.name);
    b->addWidget(*e.button);
  }
  b->addStretch(1);
  return list;
}

}  // namespace

TFrmReport::TFrmReport(TWorkbench& wb, TRepSections& sections, QWidget* parent)
    : QDialog(parent), wb_(wb), sections_(sections) {
  setObjectName("FrmReport");
  setWindowTitle("Generate Report");
  auto* l = new QVBoxLayout(this);
  tabs = new QTabWidget(this);
  tabs->setObjectName("tabs");
  tabs->addTab(BuildContent(), "Content");
  tabs->addTab(BuildFormat(), "Format");
  tabs->addTab(BuildOutput(), "Output");
  tabFonts = BuildFonts();
  tabs->addTab(tabFonts, "Fonts");
  l->addWidget(tabs);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  butGenerate = new QPushButton("Generate", this);
  butGenerate->setObjectName("butGenerate");
  butClose = new QPushButton("Close", this);
  butClose->setObjectName("butClose");
  buttons->addWidget(butGenerate);
  buttons->addWidget(butClose);
  l->addLayout(buttons);
  connect(butGenerate, &QPushButton::clicked, this, [this] { GenerateClick(); });
  connect(butClose, &QPushButton::clicked, this, &QDialog::reject);
  connect(tabs, &QTabWidget::currentChanged, this, [this](int index) {
    labWarning->setVisible(index == 0 && !labWarning->text().isEmpty());
    if (index == 1 || index == 3) {
      sections_.UpdateInclusion();
      RefreshFormatList();
      RefreshFontList();
    }
  });

  // The radio buttons take the stored format once; afterwards both follow
  // each other.
  const int format = std::clamp(sections_.Format, 0, 2);
  (format == 0 ? radPlain : format == 1 ? radRtf : radWord)->setChecked(true);
  OutputChanged();
  for (QRadioButton* r : {radPlain, radRtf, radWord})
    connect(r, &QRadioButton::toggled, this, [this] { OutputChanged(); });
  resize(520, 460);
}

// ---- building ------------------------------------------------------------------------

QWidget* TFrmReport::BuildContent() {
  auto* page = new QWidget(this);
  auto* g = new QGridLayout(page);
  chkContent = new QListWidget(page);
  chkContent->setObjectName("chkContent");
  g->addWidget(chkContent, 0, 0, 4, 1);
  labCorrelation = new QLabel("Correlation Matrix:", page);
  g->addWidget(labCorrelation, 0, 1, 1, 2);
  g->addWidget(new QLabel("Rows:", page), 1, 1);
  g->addWidget(new QLabel("Cols:", page), 1, 2);
  listSelSamp = new QListWidget(page);
  listSelSamp->setObjectName("listSelSamp");
  listSelSamp2 = new QListWidget(page);
  listSelSamp2->setObjectName("listSelSamp2");
  g->addWidget(listSelSamp, 2, 1);
  g->addWidget(listSelSamp2, 2, 2);
  labWarning = new QLabel(page);
  labWarning->setObjectName("labWarning");
  labWarning->setWordWrap(true);
  labWarning->setStyleSheet("color: red");
  g->addWidget(labWarning, 4, 0, 1, 3);

  connect(chkContent, &QListWidget::itemChanged, this, [this] {
    if (!filling_) ContentChanged();
  });
  struct Command {
    const char* text;
    const char* key;
    TSelectionCommand command;
  };
  const Command commands[] = {
      {"Select All", "Ctrl+A", TSelectionCommand::All},
      {"Select None", "Ctrl+U", TSelectionCommand::None},
      {"Invert Selection", "Ctrl+I", TSelectionCommand::Invert},
      {"Grow Selection", "", TSelectionCommand::Grow},
      {"Select All Input Samples", "Ctrl+N", TSelectionCommand::Inputs},
      {"Select All Output Samples", "Ctrl+O", TSelectionCommand::Outputs},
  };
  for (QListWidget* list : {listSelSamp, listSelSamp2, chkContent}) {
    auto* pop = new QMenu(list);
    const bool samples = list != chkContent;
    for (const Command& c : commands) {
      if (!samples &&
          (c.command == TSelectionCommand::Inputs || c.command == TSelectionCommand::Outputs))
        continue;
      QAction* a = pop->addAction(c.text);
      a->setShortcut(QKeySequence(c.key));
      a->setShortcutContext(Qt::WidgetShortcut);
      a->setVisible(c.command != TSelectionCommand::Grow);
      list->addAction(a);
      const TSelectionCommand cmd = c.command;
      connect(a, &QAction::triggered, this, [this, list, cmd] { SelectionCommand(list, cmd); });
    }
    if (samples) {
      pop->addSeparator();
      std::vector<std::pair<QAction*, int>> sorts;
      for (auto [text, order] : {std::pair{"Sort Ascending", 1}, std::pair{"Sort Descending", 2},
                                 std::pair{"Not Sorted", 0}}) {
        QAction* a = pop->addAction(text);
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [this, list, order] { SortCommand(list, order); });
        sorts.emplace_back(a, order);
      }
      connect(pop, &QMenu::aboutToShow, this, [this, list, sorts] {
        const int order = (list == listSelSamp ? rows_ : cols_).Order;
        for (auto [a, o] : sorts) a->setChecked(o == order);
      });
      connect(list, &QListWidget::itemChanged, this, [this, list] {
        if (!filling_) ReadSampleList(list, list == listSelSamp ? rows_ : cols_);
      });
    }
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [list, pop](QPoint p) { pop->popup(list->viewport()->mapToGlobal(p)); });
  }
  return page;
}

QWidget* TFrmReport::BuildFormat() {
  auto* page = new QWidget(this);
  auto* l = new QHBoxLayout(page);
  listFormat = EntryList(page, l, "listFormat", "Number Format",
                         {{{"butAddFormat", "Add Format", &butAddFormat},
                           {"butSetFormat", "Set Format...", &butSetFormat},
                           {"butRemoveFormat", "Remove", &butRemoveFormat},
                           {"butResetFormats", "Reset All", &butResetFormats}}});
  connect(butAddFormat, &QPushButton::clicked, this, [this] {
    QMenu menu(this);
    for (int id : TableSections()) {
      const int i = sections_.IndexOfSection(id);
      if (i >= 0 && sections_.Entries[static_cast<std::size_t>(i)].format != FormatNone) continue;
      menu.addAction(Q(FormatSectionName(id)), this, [this, id] { AddFormat(id); });
    }
    menu.exec(butAddFormat->mapToGlobal(QPoint(0, butAddFormat->height())));
  });
  connect(butSetFormat, &QPushButton::clicked, this, [this] { SetFormat(); });
  connect(listFormat, &QTreeWidget::itemDoubleClicked, this, [this] { SetFormat(); });
  connect(butRemoveFormat, &QPushButton::clicked, this, [this] { RemoveFormat(); });
  connect(butResetFormats, &QPushButton::clicked, this, [this] { ResetFormats(); });
  return page;
}

QWidget* TFrmReport::BuildOutput() {
  auto* page = new QWidget(this);
  auto* l = new QVBoxLayout(page);
  l->addWidget(new QLabel("Output Format:", page));
  radPlain = new QRadioButton("DOS Compatible (Plain Text)", page);
  radPlain->setObjectName("radPlain");
  radRtf = new QRadioButton("RTF (Rich Text)", page);
  radRtf->setObjectName("radRtf");
  radWord = new QRadioButton("Office document (req. word processor)", page);
  radWord->setObjectName("radWord");
  for (QRadioButton* r : {radPlain, radRtf, radWord}) l->addWidget(r);
  chkLineBreaks = new QCheckBox("Force Table Breaks", page);
  chkLineBreaks->setObjectName("chkLineBreaks");
  l->addWidget(chkLineBreaks);
  panWord = new QWidget(page);
  panWord->setObjectName("panWord");
  auto* w = new QHBoxLayout(panWord);
  w->addWidget(new QLabel("Document Template (*.DOT):", panWord));
  labTemplate = new QLabel("(none)", panWord);
  labTemplate->setObjectName("labTemplate");
  w->addWidget(labTemplate, 1);
  butTemplate = new QPushButton("Browse...", panWord);
  butTemplate->setObjectName("butTemplate");
  w->addWidget(butTemplate);
  l->addWidget(panWord);
  l->addStretch(1);
  connect(chkLineBreaks, &QCheckBox::toggled, this, [this](bool on) { sections_.LineBreaks = on; });
  connect(butTemplate, &QPushButton::clicked, this, [this] { ChooseTemplate(); });
  return page;
}

QWidget* TFrmReport::BuildFonts() {
  auto* page = new QWidget(this);
  auto* v = new QVBoxLayout(page);
  auto* l = new QHBoxLayout;
  v->addLayout(l, 1);
  listFont = EntryList(page, l, "listFont", "Font",
                       {{{"butAddFont", "Add Font", &butAddFont},
                         {"butSetFont", "Set Font...", &butSetFont},
                         {"butRemoveFont", "Remove", &butRemoveFont},
                         {"butResetFonts", "Reset All", &butResetFonts}}});
  // The office document reads no template styles, so the note stays hidden.
  labWordNote = new QLabel(
      "Note: Font style described in Word Style with same name as one of the above sections "
      "will be used instead of here defined.",
      page);
  labWordNote->setWordWrap(true);
  labWordNote->setVisible(false);
  v->addWidget(labWordNote);
  connect(butAddFont, &QPushButton::clicked, this, [this] {
    QMenu menu(this);
    for (int id = 2; id <= 22; ++id) {
      const int i = sections_.IndexOfSection(id);
      if (i >= 0 && sections_.Entries[static_cast<std::size_t>(i)].font) continue;
      menu.addAction(Q(FontSectionName(id)), this, [this, id] { AddFont(id); });
    }
    menu.exec(butAddFont->mapToGlobal(QPoint(0, butAddFont->height())));
  });
  connect(butSetFont, &QPushButton::clicked, this, [this] { SetFont(); });
  connect(listFont, &QTreeWidget::itemDoubleClicked, this, [this] { SetFont(); });
  connect(listFont, &QTreeWidget::currentItemChanged, this,
          [this] { butRemoveFont->setEnabled(SelectedEntryId(listFont) >= 0); });
  connect(butRemoveFont, &QPushButton::clicked, this, [this] { RemoveFont(); });
  connect(butResetFonts, &QPushButton::clicked, this, [this] { ResetFonts(); });
  return page;
}

// ---- preparing -------------------------------------------------------------------------

bool TFrmReport::ModelEmpty() const {
  return Get_TSMObjectsNumber(ObjRandomVariable) == 0 && Get_TSMObjectsNumber(ObjFormula) == 0;
}

void TFrmReport::PrepareReportDialog() {
  labWarning->setText(Q(ContentWarning(ModelEmpty(), wb_.CurrentFileName)).replace('\r', '\n'));
  labWarning->setVisible(tabs->currentIndex() == 0 && !labWarning->text().isEmpty());
  content_ = ReportContentItems(sections_);
  RefillSampleLists();
  ContentChanged();
  OutputChanged();
  chkLineBreaks->setChecked(sections_.LineBreaks);
  labTemplate->setText(sections_.WordTemplate.empty() ? "(none)" : Q(sections_.WordTemplate));
  sections_.UpdateInclusion();
  RefreshFormatList();
  RefreshFontList();
}

void TFrmReport::ContentChanged() {
  for (int i = 0; i < chkContent->count() && i < static_cast<int>(content_.size()); ++i)
    content_[static_cast<std::size_t>(i)].Checked =
        chkContent->item(i)->checkState() == Qt::Checked;
  RefreshContentItems(content_, sections_, ModelEmpty());
  filling_ = true;
  const int current = chkContent->currentRow();
  if (chkContent->count() != static_cast<int>(content_.size())) {
    chkContent->clear();
    for (std::size_t i = 0; i < content_.size(); ++i) new QListWidgetItem(chkContent);
  }
  bool matrix = false;
  for (int i = 0; i < chkContent->count(); ++i) {
    const TContentItem& c = content_[static_cast<std::size_t>(i)];
    QListWidgetItem* item = chkContent->item(i);
    item->setText(Q(c.Text));
    item->setData(kIdRole, c.Id);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsSelectable |
                   (c.Enabled ? Qt::ItemIsEnabled : Qt::NoItemFlags));
    item->setCheckState(c.Checked ? Qt::Checked : Qt::Unchecked);
    if (c.Id == 17) matrix = c.Checked && c.Enabled;
  }
  chkContent->setCurrentRow(current);
  // The section titles show whole, without scrolling sideways.
  chkContent->setMinimumWidth(chkContent->sizeHintForColumn(0) + 2 * chkContent->frameWidth() +
                              chkContent->verticalScrollBar()->sizeHint().width());
  filling_ = false;
  const bool lists = matrix && (listSelSamp->count() + listSelSamp2->count()) > 0;
  for (QWidget* w : std::initializer_list<QWidget*>{labCorrelation, listSelSamp, listSelSamp2})
    w->setEnabled(lists);
}

void TFrmReport::RefillSampleLists() {
  const std::vector<std::string> inputs = SampleNames(ObjInputSample);
  const std::vector<std::string> outputs = SampleNames(ObjOutputSample);
  rows_.Merge(inputs, outputs, &TSelectionList::NegativeObject);
  cols_.Merge(inputs, outputs, &TSelectionList::NegativeObject);
  FillSampleList(listSelSamp, rows_);
  FillSampleList(listSelSamp2, cols_);
}

void TFrmReport::FillSampleList(QListWidget* list, const TSelectionList& items) {
  filling_ = true;
  list->clear();
  for (const TSelectionItem& it : items.Items) {
    auto* item = new QListWidgetItem(Q(it.Text), list);
    item->setToolTip(item->text());  // a long name shows whole
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setCheckState(it.Checked ? Qt::Checked : Qt::Unchecked);
  }
  if (items.Selected >= 0) list->setCurrentRow(items.Selected);
  filling_ = false;
}

void TFrmReport::ReadSampleList(QListWidget* list, TSelectionList& items) {
  for (int i = 0; i < list->count() && i < static_cast<int>(items.Items.size()); ++i)
    items.Items[static_cast<std::size_t>(i)].Checked = list->item(i)->checkState() == Qt::Checked;
  items.Selected = list->currentRow();
}

void TFrmReport::SelectionCommand(QListWidget* list, TSelectionCommand command) {
  if (list == chkContent) {
    filling_ = true;
    for (int i = 0; i < list->count(); ++i) {
      QListWidgetItem* item = list->item(i);
      const bool on = item->checkState() == Qt::Checked;
      const bool now = command == TSelectionCommand::All      ? true
                       : command == TSelectionCommand::None   ? false
                       : command == TSelectionCommand::Invert ? !on
                                                              : on;
      item->setCheckState(now ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
    ContentChanged();
    return;
  }
  TSelectionList& items = list == listSelSamp ? rows_ : cols_;
  ReadSampleList(list, items);
  items.Apply(command, true);
  FillSampleList(list, items);
}

void TFrmReport::SortCommand(QListWidget* list, int order) {
  TSelectionList& items = list == listSelSamp ? rows_ : cols_;
  ReadSampleList(list, items);
  items.Sort(order);
  FillSampleList(list, items);
}

bool TFrmReport::IsSampleChecked(const std::string& name, bool rows) const {
  const TSelectionList& items = rows ? rows_ : cols_;
  const int i = items.IndexOf(Lower(Trim(name)));
  return i < 0 || items.Items[static_cast<std::size_t>(i)].Checked;
}

int TFrmReport::SelectedOutputFormat() const {
  return radPlain->isChecked() ? 0 : radWord->isChecked() ? 2 : 1;
}

void TFrmReport::OutputChanged() {
  sections_.Format = SelectedOutputFormat();
  // The office document applies no template, so its choice is not offered
  // (the "WordTemplate" setting is kept as it is).
  panWord->setVisible(false);
  tabs->setTabVisible(tabs->indexOf(tabFonts), sections_.Format != 0);
}

void TFrmReport::ChooseTemplate() {
  TFileDialogOptions o;
  o.Title = "Select Document Template";
  o.Filter =
      "Document Templates (*.dot *.ott *.dotx)|*.dot;*.ott;*.dotx|Word Documents "
      "(*.doc)|*.doc";
  o.InitialName = ChangeFileExt(sections_.WordTemplate, "");
  std::vector<std::string> names;
  if (wb_.Chooser().ChooseOpen(o, names) && !names.empty())
    sections_.WordTemplate = names[0];
  else
    sections_.WordTemplate.clear();
  labTemplate->setText(sections_.WordTemplate.empty() ? "(none)" : Q(sections_.WordTemplate));
}

void TFrmReport::GenerateClick() {
  const int format = SelectedOutputFormat();
  setWindowTitle("Generating Report...");
  QCoreApplication::processEvents();
  try {
    if (Generate) Generate(format);
  } catch (const std::exception& e) {
    setWindowTitle("Generate Report");
    wb_.Prompt().Show(TMessageKind::Error, e.what());
    accept();
    return;
  }
  setWindowTitle("Generate Report");
  accept();
}

// ---- formats -------------------------------------------------------------------------------

int TFrmReport::SelectedEntryId(QTreeWidget* list) const {
  QTreeWidgetItem* item = list->currentItem();
  return item ? item->data(0, kIdRole).toInt() : -1000;
}

void TFrmReport::RefreshFormatList() {
  const int current = SelectedEntryId(listFormat);
  listFormat->clear();
  for (const TRepSectionSetting& e : sections_.Entries) {
    if (e.id < 0 || e.format == FormatNone) continue;
    auto* item = new QTreeWidgetItem(
        listFormat,
        {Q(FormatSectionName(e.id)), Q(NumberFormatText(e.format, e.width, e.precision))});
    item->setData(0, kIdRole, e.id);
    if (e.id == current) listFormat->setCurrentItem(item);
  }
  butResetFormats->setEnabled(listFormat->topLevelItemCount() > 0);
}

void TFrmReport::AddFormat(int section) {
  int i = sections_.IndexOfSection(section);
  if (i < 0) i = sections_.AddSection(section);
  TRepSectionSetting& e = sections_.Entries[static_cast<std::size_t>(i)];
  const TDisplaySettings d = CurrentDisplaySettings();
  e.format = FormatTableDefault;
  e.width = d.fpwidth;
  e.precision = d.fpprecision;
  RefreshFormatList();
  for (int k = 0; k < listFormat->topLevelItemCount(); ++k)
    if (listFormat->topLevelItem(k)->data(0, kIdRole).toInt() == section)
      listFormat->setCurrentItem(listFormat->topLevelItem(k));
  SetFormat();
  const int j = sections_.IndexOfSection(section);
  if (j >= 0 && formatCancelled_)
    sections_.Entries[static_cast<std::size_t>(j)].format = FormatNone;
  RefreshFormatList();
}

void TFrmReport::SetFormat() {
  formatCancelled_ = false;
  const int id = SelectedEntryId(listFormat);
  const int i = sections_.IndexOfSection(id);
  if (i < 0) return;
  TFrmFormat dialog(sections_.Entries[static_cast<std::size_t>(i)], sections_,
                    CurrentDisplaySettings(), this);
  dialog.Preview = [this, id](QTextEdit* pane) {
    if (Preview) Preview(SelectedOutputFormat(), id, pane);
  };
  dialog.Start();
  const int result = ExecFormat ? ExecFormat(dialog) : dialog.exec();
  formatCancelled_ = result != QDialog::Accepted;
  RefreshFormatList();
}

void TFrmReport::RemoveFormat() {
  const int id = SelectedEntryId(listFormat);
  const int i = sections_.IndexOfSection(id);
  if (i < 0) return;
  const int row = listFormat->indexOfTopLevelItem(listFormat->currentItem());
  sections_.Entries[static_cast<std::size_t>(i)].format = FormatNone;
  RefreshFormatList();
  const int n = listFormat->topLevelItemCount();
  if (n > 0) listFormat->setCurrentItem(listFormat->topLevelItem(std::min(row, n - 1)));
}

void TFrmReport::ResetFormats() {
  if (listFormat->topLevelItemCount() == 0) return;
  if (wb_.Prompt().Ask(TMessageKind::Confirmation,
                       "Are you sure you want to reset all format settings?",
                       BtnYesNo) == TAnswer::No)
    return;
  sections_.ResetFormats();
  RefreshFormatList();
}

// ---- fonts ---------------------------------------------------------------------------------

void TFrmReport::RefreshFontList() {
  const int current = SelectedEntryId(listFont);
  listFont->clear();
  std::vector<const TRepSectionSetting*> styles, others;
  for (const TRepSectionSetting& e : sections_.Entries)
    if (e.font) (e.id < 0 ? styles : others).push_back(&e);
  std::sort(styles.begin(), styles.end(), [](auto* a, auto* b) { return a->id < b->id; });
  std::sort(others.begin(), others.end(),
            [](auto* a, auto* b) { return FontSectionName(a->id) < FontSectionName(b->id); });
  for (const auto* group : {&styles, &others})
    for (const TRepSectionSetting* e : *group) {
      QString caption = Q(FontSectionName(e->id));
      if (!sections_.IsSectionIncluded(e->id)) caption = "(" + caption + ")";
      auto* item = new QTreeWidgetItem(listFont, {caption, Q(FontText(*e->font))});
      item->setData(0, kIdRole, e->id);
      if (e->id == current) listFont->setCurrentItem(item);
    }
  butRemoveFont->setEnabled(SelectedEntryId(listFont) >= 0);
}

void TFrmReport::AddFont(int section) {
  int i = sections_.IndexOfSection(section);
  if (i < 0) i = sections_.AddSection(section);
  sections_.EnsureStyleFonts();
  i = sections_.IndexOfSection(section);
  const int normal = sections_.IndexOfSection(StyleNormal);
  sections_.Entries[static_cast<std::size_t>(i)].font =
      normal >= 0 ? sections_.Entries[static_cast<std::size_t>(normal)].font
                  : DefaultStyleFont(StyleNormal);
  RefreshFontList();
  for (int k = 0; k < listFont->topLevelItemCount(); ++k)
    if (listFont->topLevelItem(k)->data(0, kIdRole).toInt() == section)
      listFont->setCurrentItem(listFont->topLevelItem(k));
  SetFont();
  if (fontCancelled_) {
    const int j = sections_.IndexOfSection(section);
    if (j >= 0) sections_.Entries[static_cast<std::size_t>(j)].font.reset();
  }
  RefreshFontList();
}

void TFrmReport::SetFont() {
  fontCancelled_ = false;
  const int id = SelectedEntryId(listFont);
  const int i = sections_.IndexOfSection(id);
  if (i < 0 || !sections_.Entries[static_cast<std::size_t>(i)].font) return;
  const TRepFont old = *sections_.Entries[static_cast<std::size_t>(i)].font;
  TFontTsmDialog dialog(old, this);
  dialog.Preview = [this, id](const TRepFont& font, QTextEdit* pane) {
    const int at = sections_.IndexOfSection(id);
    if (at < 0) return;
    // The entry uses the dialog's font while it is open.
    sections_.Entries[static_cast<std::size_t>(at)].font = font;
    const int section = PreviewSectionOf(id);
    std::optional<TRepFont> own;
    const int sec = id < 0 ? sections_.IndexOfSection(section) : -1;
    if (sec >= 0) own.swap(sections_.Entries[static_cast<std::size_t>(sec)].font);
    if (Preview) Preview(SelectedOutputFormat(), section, pane);
    if (sec >= 0) own.swap(sections_.Entries[static_cast<std::size_t>(sec)].font);
  };
  const int result = ExecFont ? ExecFont(dialog) : dialog.exec();
  const int at = sections_.IndexOfSection(id);
  if (at >= 0)
    sections_.Entries[static_cast<std::size_t>(at)].font =
        result == QDialog::Accepted ? dialog.SelectedFont() : old;
  fontCancelled_ = result != QDialog::Accepted;
  RefreshFontList();
}

void TFrmReport::RemoveFont() {
  const int id = SelectedEntryId(listFont);
  if (id < 0) return;
  const int i = sections_.IndexOfSection(id);
  if (i < 0) return;
  const int row = listFont->indexOfTopLevelItem(listFont->currentItem());
  sections_.Entries[static_cast<std::size_t>(i)].font.reset();
  RefreshFontList();
  const int n = listFont->topLevelItemCount();
  if (n > 0) listFont->setCurrentItem(listFont->topLevelItem(std::min(row, n - 1)));
}

void TFrmReport::ResetFonts() {
  if (wb_.Prompt().Ask(TMessageKind::Confirmation,
                       "Are you sure you want to reset all font settings?",
                       BtnYesNo) == TAnswer::No)
    return;
  sections_.ResetFonts();
  RefreshFontList();
}

}  // namespace tesmira::wb
