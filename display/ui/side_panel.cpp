// The side panel of the main window: its controls, the exchange of their
// values with the document, and the handlers of the user's changes.
#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "ui/dialog_buttons.h"
#include "ui/main_window.h"
#include "ui/services.h"

namespace {

QLabel* Caption(const char* text, QWidget* parent) {
  return new QLabel(QString::fromLatin1(text), parent);
}

// A titled box of radio buttons, each stored in its slot with its caption and
// hint, added to layout.
QGroupBox* RadioPanel(
    QWidget* parent, QVBoxLayout* layout, const char* title,
    std::initializer_list<std::pair<QRadioButton**, std::pair<const char*, const char*>>> items) {
  auto* panel = new QGroupBox(QString::fromLatin1(title), parent);
  auto* l = new QVBoxLayout(panel);
  l->setContentsMargins(2, 2, 2, 2);
  auto* group = new QButtonGroup(panel);
  for (const auto& [slot, text] : items) {
    *slot = new QRadioButton(QString::fromLatin1(text.first), panel);
    (*slot)->setToolTip(QString::fromLatin1(text.second));
    group->addButton(*slot);
    l->addWidget(*slot);
  }
  layout->addWidget(panel);
  return panel;
}

}  // namespace

void TFrmTesplore::BuildVariablesArea() {
  Panel2 = new QWidget(Panel1);
  auto* p2 = new QVBoxLayout(Panel2);
  p2->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  row->addWidget(Caption("Plot samples:", Panel2));
  TotalSamples = new QLabel(QStringLiteral("(Total: 0)"), Panel2);
  TotalSamples->setAlignment(Qt::AlignRight);
  row->addWidget(TotalSamples);
  p2->addLayout(row);
  NumSamplesT = new QSlider(Qt::Horizontal, Panel2);
  NumSamplesT->setMinimum(2);
  NumSamplesT->setMaximum(200);
  NumSamplesT->setToolTip(QStringLiteral("Drag to change number of displayed samples"));
  p2->addWidget(NumSamplesT);
  NumSamplesE = new QLineEdit(QStringLiteral("200"), Panel2);
  NumSamplesE->setToolTip(QStringLiteral("Number of displayed samples"));
  p2->addWidget(NumSamplesE);
  p2->addWidget(Caption("Variables:", Panel2));
  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, const char*> sel[5] = {{"All", "Select all variables (Ctrl-A)"},
                                                      {"Clr", "Unselect all variables (Ctrl-U)"},
                                                      {"Inv", "Invert variable selection (Ctrl-I)"},
                                                      {"I", "Select input variables"},
                                                      {"O", "Select output variables"}};
  const int tags[5] = {0, 1, 4, 2, 3};
  for (int i = 0; i < 5; ++i) {
    auto* b = new QToolButton(Panel2);
    b->setText(QString::fromLatin1(sel[i].first));
    b->setToolTip(QString::fromLatin1(sel[i].second));
    const int tag = tags[i];
    connect(b, &QToolButton::clicked, this, [this, tag] { VarSel(tag); });
    buttons->addWidget(b);
  }
  p2->addLayout(buttons);
  m_lstRandVar = new QListWidget(Panel2);
  m_lstRandVar->setToolTip(QStringLiteral("Display selected variables"));
  m_lstRandVar->setDragDropMode(QAbstractItemView::InternalMove);
  m_lstRandVar->setContextMenuPolicy(Qt::CustomContextMenu);
  PopupVar = new QMenu(m_lstRandVar);
  const std::pair<const char*, int> popup[5] = {{"Select All", 0},
                                                {"Select None", 1},
                                                {"Input Variables", 2},
                                                {"Output Variables", 3},
                                                {"Invert selection", 4}};
  for (const auto& [text, tag] : popup) {
    PopupVar->addAction(QString::fromLatin1(text), this, [this, tag = tag] { VarSel(tag); });
  }
  connect(m_lstRandVar, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupVar->popup(m_lstRandVar->viewport()->mapToGlobal(at)); });
  p2->addWidget(m_lstRandVar, 1);
}

void TFrmTesplore::BuildSidePanel() {
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedWidth(177);
  auto* outer = new QVBoxLayout(Panel1);
  outer->setContentsMargins(2, 2, 2, 2);
  BuildVariablesArea();

  // The splitter sets the height of the variables area above the options.
  Splitter1 = new QSplitter(Qt::Vertical, Panel1);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setChildrenCollapsible(false);
  Splitter1->addWidget(Panel2);
  auto* options = new QWidget(Splitter1);
  auto* opts = new QVBoxLayout(options);
  opts->setContentsMargins(0, 0, 0, 0);
  Splitter1->addWidget(options);
  Splitter1->setStretchFactor(0, 1);
  outer->addWidget(Splitter1, 1);
  BuildPlotOptions(opts);
  QPushButton* fitNow = BuildFitOptions(opts);
  opts->addStretch(1);
  FitSidePanel();
  for (QWidget* w : {OptSmooth, OptScale1, OptScale2, OptFit}) w->setVisible(false);
  ConnectSidePanel(fitNow);
}

// The designed width, or what the captions (and the sample total) need in
// the font in use.
void TFrmTesplore::FitSidePanel() {
  int need = 0;
  for (QWidget* w : {Panel2, OptSmooth, OptScale1, OptScale2, OptFit})
    need = std::max(need, w->minimumSizeHint().width());
  const QMargins m = Panel1->layout()->contentsMargins();
  Panel1->setFixedWidth(std::max(177, need + m.left() + m.right()));
}

void TFrmTesplore::BuildPlotOptions(QVBoxLayout* opts) {
  OptSmooth = new QWidget(Panel1);
  auto* sm = new QHBoxLayout(OptSmooth);
  sm->setContentsMargins(0, 0, 0, 0);
  labSmooth = Caption("Smooth", OptSmooth);
  sm->addWidget(labSmooth);
  BWidth = new QSlider(Qt::Horizontal, OptSmooth);
  BWidth->setRange(1, 40);
  BWidth->setPageStep(4);
  BWidth->setValue(13);
  BWidth->setToolTip(QStringLiteral("Smoothing factor (o/O)"));
  sm->addWidget(BWidth);
  opts->addWidget(OptSmooth);

  OptScale1 = RadioPanel(Panel1, opts, "Scale:",
                         {{&Cob0, {"Percentiles", "(p)"}},
                          {&Cob1, {"Natural", "(n)"}},
                          {&Cob2, {"Logarithmic", "(l)"}}});
  chkCrossDensity = new QCheckBox(QStringLiteral("Cross-density"), OptScale1);
  OptScale1->layout()->addWidget(chkCrossDensity);
  OptScale2 = RadioPanel(
      Panel1, opts, "Plot Type:",
      {{&Dens0, {"Relative", "(r)"}}, {&Dens1, {"Cumulative", "(q)"}}, {&Dens2, {"Absolute", ""}}});
  Dens2->setVisible(false);
}

// The fit of the plot with the bounds' edits and sliders; returns the "Fit
// Now" button.
QPushButton* TFrmTesplore::BuildFitOptions(QVBoxLayout* opts) {
  OptFit = RadioPanel(
      Panel1, opts, "Plot Fit:",
      {{&Fit1, {"Selected Variable", "Scale to fit selected (or first next visible) varable"}},
       {&Fit2, {"Visible Variables", "Scale to fit ALL visible varables"}},
       {&Fit3, {"Manual", "Manual scaling (enter extremes in text boxes bellow)"}}});
  auto* fit = static_cast<QVBoxLayout*>(OptFit->layout());
  auto* mark = new QPushButton(QStringLiteral("mark range"), OptFit);
  mark->setToolTip(
      QStringLiteral("Update view bounding box with values of range selection sliders"));
  connect(mark, &QPushButton::clicked, this, [this] { ZoomToSliders(); });
  fit->addWidget(mark);
  const char* editHints[4] = {"Horizontal axes left boudary", "Horizontal axes right boundary",
                              "Vertical axes bottom boundary", "Vertical axes top boundary"};
  const char* barHints[4] = {"Move left boundry to right", "Move right boundry to right",
                             "Move bottom boundry up", "Move top boundry down"};
  for (int pair = 0; pair < 2; ++pair) {
    auto* edits = new QHBoxLayout;
    edits->addWidget(Caption(pair == 0 ? "H." : "V.", OptFit));
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      auto* e = new QLineEdit(QStringLiteral("0"), OptFit);
      e->setToolTip(QString::fromLatin1(editHints[i]));
      connect(e, &QLineEdit::editingFinished, this, [this] { BoundEdited(); });
      m_bounds[static_cast<std::size_t>(i)] = e;
      edits->addWidget(e);
    }
    fit->addLayout(edits);
    auto* bars = new QHBoxLayout;
    for (int i = 2 * pair; i < 2 * pair + 2; ++i) {
      auto* s = new QSlider(Qt::Horizontal, OptFit);
      s->setRange(0, 100);
      s->setPageStep(4);
      s->setValue(i % 2 == 0 ? 0 : 100);
      s->setToolTip(QString::fromLatin1(barHints[i]));
      connect(s, &QSlider::valueChanged, this, [this, i] { ZoomBarChanged(i); });
      m_zoomBars[static_cast<std::size_t>(i)] = s;
      bars->addWidget(s);
    }
    auto* r = new QPushButton(QStringLiteral("R"), OptFit);
    r->setToolTip(QStringLiteral("Reset sliders"));
    SetNarrowWidth(r, 20);
    connect(r, &QPushButton::clicked, this, [this, pair] { ResetSliders(2 * pair); });
    bars->addWidget(r);
    fit->addLayout(bars);
  }
  FitAuto = new QCheckBox(QStringLiteral("Auto"), OptFit);
  FitAuto->setToolTip(
      QStringLiteral("Automaticaly update borders when conditions change (works only with Selected "
                     "or Visible Variables fit)"));
  fit->addWidget(FitAuto);
  auto* fitNow = new QPushButton(QStringLiteral("Fit Now"), OptFit);
  fit->addWidget(fitNow);
  return fitNow;
}

void TFrmTesplore::ConnectSidePanel(QPushButton* fitNow) {
  connect(NumSamplesT, &QSlider::valueChanged, this, [this] { NumSamplesChanged(); });
  connect(NumSamplesE, &QLineEdit::editingFinished, this, [this] { NumSamplesEdited(); });
  connect(m_lstRandVar, &QListWidget::itemChanged, this,
          [this](QListWidgetItem* item) { ListCheckChanged(item); });
  connect(m_lstRandVar, &QListWidget::currentRowChanged, this, [this](int) {
    const int previous = m_currentRow;
    m_currentRow = m_lstRandVar->currentRow();
    ListCurrentChanged(previous);
  });
  connect(m_lstRandVar->model(), &QAbstractItemModel::rowsMoved, this, [this] { ListDropped(); });
  connect(BWidth, &QSlider::valueChanged, this, [this] {
    if (!m_updating) SyncDocument(true, SyncParameters | SyncRedraw);
  });
  for (QRadioButton* r : {Dens0, Dens1, Dens2}) {
    connect(r, &QRadioButton::clicked, this, [this] {
      if (m_updating) return;
      RecordUndo(ViewScalars);
      SyncDocument(true, SyncParameters | SyncRedraw);
    });
  }
  for (QRadioButton* r : {Cob0, Cob1, Cob2}) {
    connect(r, &QRadioButton::clicked, this, [this] {
      if (m_updating) return;
      RecordUndo(ViewScalars);
      SyncDocument(true, SyncParameters);
      m_document.UpdateFilter();
      SyncDocument(true, SyncRedraw);
    });
  }
  connect(chkCrossDensity, &QCheckBox::clicked, this, [this] {
    if (m_updating) return;
    RecordUndo(ViewScalars);
    SyncDocument(true, SyncParameters);
    SyncDocument(true, SyncRedraw);
  });
  auto fitClick = [this] {
    if (m_updating) return;
    RecordUndo(ViewScalars);
    SyncDocument(true, SyncParameters | SyncRedraw);
    SyncDocument(false, SyncBounds);
  };
  for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Fit1, Fit2, Fit3, FitAuto}) {
    connect(b, &QAbstractButton::clicked, this, fitClick);
  }
  connect(fitNow, &QPushButton::clicked, this, [this] {
    RecordUndo(ViewScalars);
    m_document.UpdateBoundingBox(true);
    SyncDocument(true, SyncRedraw);
    SyncDocument(false, SyncBounds);
  });
}

bool TFrmTesplore::NothingToPlot() const {
  const std::uint32_t n = m_document.CountVisible();
  return (n < 2 && m_document.m_plotType == PlotCobwebs) ||
         (m_document.m_plotType == PlotScatter &&
          (m_document.m_scatterX == -1 || m_document.m_scatterY == -1)) ||
         n < 1;
}

void TFrmTesplore::SyncDocument(bool toDocument, std::uint32_t flags) {
  TUpdating guard(m_updating);
  if (toDocument)
    ControlsToDocument(flags);
  else
    DocumentToControls(flags);
}

void TFrmTesplore::ControlsToDocument(std::uint32_t flags) {
  SampleDataView& doc = m_document;
  const bool scatter = doc.m_plotType == PlotScatter;
  TBox& bounds = scatter ? doc.m_scatterBox : doc.m_box;
  if (flags & SyncVariables) {
    const int n = std::min<int>(m_lstRandVar->count(), static_cast<int>(doc.m_order.size()));
    bool first = true;
    for (int i = 0; i < n; ++i) {
      QListWidgetItem* item = m_lstRandVar->item(i);
      doc.m_order[static_cast<std::size_t>(i)] =
          static_cast<fn::CTesploreVar*>(item->data(Qt::UserRole).value<void*>());
      const bool checked = item->checkState() == Qt::Checked;
      if (!scatter) {
        doc.m_visible[static_cast<std::size_t>(i)] = checked ? 1 : 0;
      } else if (checked) {
        (first ? doc.m_scatterX : doc.m_scatterY) = i;
        first = false;
      }
    }
    doc.UpdateFilter();
    EnablePlotControls(!NothingToPlot());
  }
  if (m_lstRandVar->currentRow() >= 0) doc.m_selectedVar = m_lstRandVar->currentRow();
  if (flags & SyncParameters) {
    doc.m_smoothing = static_cast<float>(BWidth->value() * 0.125);
    doc.m_densityMode = Dens0->isChecked() ? 0 : Dens1->isChecked() ? 1 : 2;
    doc.m_cobwebScale = Cob0->isChecked() ? 0 : Cob1->isChecked() ? 1 : 2;
    doc.m_autoBox = FitAuto->isChecked();
    doc.m_crossDensity = chkCrossDensity->isChecked() ? 1 : 0;
    const int kind = Fit1->isChecked() ? 0 : Fit2->isChecked() ? 1 : 2;
    if (kind != doc.m_boxType) {
      doc.m_boxType = kind;
      if (doc.m_numVars > 0) doc.UpdateBoundingBox(true);
    }
    ShowSmoothing();
  }
  if ((flags & SyncSamples) &&
      static_cast<std::uint32_t>(NumSamplesT->value()) != doc.m_numSamples) {
    doc.SetNumSamples(static_cast<std::uint32_t>(NumSamplesT->value()));
    doc.UpdateFilter();
  }
  if (flags & SyncBounds) {
    for (int i = 0; i < 4; ++i) {
      QLineEdit* e = m_bounds[static_cast<std::size_t>(i)];
      if (!e->isModified()) continue;
      e->setModified(false);
      bool ok = false;
      const float v = e->text().trimmed().toFloat(&ok);
      if (!ok) break;
      (&bounds.x0)[i] = v;
    }
  }
  if (flags & SyncRedraw) m_tesploreView->Render(true);
}

// The smoothing bar shows for cobwebs only with the cross-density strip.
void TFrmTesplore::ShowSmoothing() {
  const bool show = m_document.m_plotType != PlotCobwebs || m_document.m_crossDensity;
  BWidth->setVisible(show);
  labSmooth->setVisible(show);
}

void TFrmTesplore::DocumentToControls(std::uint32_t flags) {
  SampleDataView& doc = m_document;
  const bool scatter = doc.m_plotType == PlotScatter;
  const TBox& bounds = scatter ? doc.m_scatterBox : doc.m_box;
  ShowSmoothing();
  auto checkRule = [&](int i) {
    return scatter ? (i == doc.m_scatterX || i == doc.m_scatterY)
                   : doc.m_visible[static_cast<std::size_t>(i)] != 0;
  };
  if (flags & SyncVariables) {
    m_lstRandVar->clear();
    for (std::size_t i = 0; i < doc.m_order.size(); ++i) {
      auto* item = new QListWidgetItem(QString::fromStdString(doc.m_order[i]->GetName()));
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsDragEnabled);
      item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(doc.m_order[i])));
      item->setCheckState(checkRule(static_cast<int>(i)) ? Qt::Checked : Qt::Unchecked);
      m_lstRandVar->addItem(item);
    }
  } else if (flags & SyncChecks) {
    for (int i = 0; i < m_lstRandVar->count() && i < static_cast<int>(doc.m_visible.size()); ++i) {
      m_lstRandVar->item(i)->setCheckState(checkRule(i) ? Qt::Checked : Qt::Unchecked);
    }
    EnablePlotControls(!NothingToPlot());
  }
  if (doc.m_selectedVar >= 0 && doc.m_selectedVar < m_lstRandVar->count()) {
    m_lstRandVar->setCurrentRow(doc.m_selectedVar);
    m_currentRow = doc.m_selectedVar;
  }
  if (flags & SyncParameters) {
    m_actPlot[static_cast<std::size_t>(std::clamp(doc.m_plotType, 0, 4))]->setChecked(true);
    BWidth->setValue(static_cast<int>(doc.m_smoothing * 8));
    (doc.m_densityMode == 0 ? Dens0 : doc.m_densityMode == 1 ? Dens1 : Dens2)->setChecked(true);
    (doc.m_cobwebScale == 0 ? Cob0 : doc.m_cobwebScale == 1 ? Cob1 : Cob2)->setChecked(true);
    (doc.m_boxType == 0 ? Fit1 : doc.m_boxType == 1 ? Fit2 : Fit3)->setChecked(true);
    FitAuto->setChecked(doc.m_autoBox);
    chkCrossDensity->setChecked(doc.m_crossDensity != 0);
  }
  if (flags & SyncSamples) {
    // The bar keeps its minimum of 2, also without samples.
    const auto most = static_cast<int>(
        std::min<std::uint32_t>(doc.Samples().GetNumSamplesInFile(), fn::MaxSamples));
    NumSamplesT->setMaximum(std::max(NumSamplesT->minimum(), most));
    NumSamplesT->setValue(static_cast<int>(doc.m_numSamples));
    NumSamplesE->setText(QString::number(NumSamplesT->value()));
  }
  if (flags & SyncBounds) {
    for (int i = 0; i < 4; ++i) {
      m_bounds[static_cast<std::size_t>(i)]->setText(FormatGeneral((&bounds.x0)[i], 3));
      m_bounds[static_cast<std::size_t>(i)]->setModified(false);
      m_zoomBars[static_cast<std::size_t>(i)]->setValue(
          static_cast<int>((&doc.m_zoom.x0)[i] * 100));
    }
  }
}

void TFrmTesplore::VarSel(int tag) {
  if (m_lstRandVar->count() == 0) return;
  RecordUndo(ViewVisibility);
  TUpdating guard(m_updating);
  const int n = m_lstRandVar->count();
  auto isInput = [&](int i) {
    return static_cast<fn::CTesploreVar*>(m_lstRandVar->item(i)->data(Qt::UserRole).value<void*>())
        ->IsInput;
  };
  std::vector<bool> before(static_cast<std::size_t>(n)), now(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    before[static_cast<std::size_t>(i)] = m_lstRandVar->item(i)->checkState() == Qt::Checked;
  const bool scatter = m_document.m_plotType == PlotScatter;
  int taken = 0;
  for (int i = 0; i < n; ++i) {
    bool on = false;
    switch (tag) {
      case 0: on = true; break;
      case 1: on = false; break;
      case 4: on = !before[static_cast<std::size_t>(i)]; break;
      case 2: on = isInput(i); break;
      case 3: on = !isInput(i); break;
      default: break;
    }
    if (scatter && on) on = taken++ < 2;
    now[static_cast<std::size_t>(i)] = on;
    m_lstRandVar->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  if (scatter) {
    const int s = m_document.m_selectedVar;
    m_document.m_scatterX = s >= 0 && s < n && now[static_cast<std::size_t>(s)] ? s : -1;
    m_document.m_scatterY = -1;
    for (int i = 0; i < n; ++i) {
      if (!now[static_cast<std::size_t>(i)] || i == s) continue;
      if (m_document.m_scatterX == -1)
        m_document.m_scatterX = i;
      else if (m_document.m_scatterY == -1)
        m_document.m_scatterY = i;
    }
    // The list order matches the axes just set.
    SyncDocument(true, SyncRedraw);
    SyncDocument(false, SyncChecks);
    return;
  }
  SyncDocument(true, SyncVariables | SyncRedraw);
}

void TFrmTesplore::ListCheckChanged(QListWidgetItem* item) {
  if (m_updating) return;
  RecordUndo(ViewVisibility);
  if (m_document.m_plotType != PlotScatter) {
    SyncDocument(true, SyncVariables | SyncRedraw);
    return;
  }
  const int k = m_lstRandVar->row(item);
  const bool checked = item->checkState() == Qt::Checked;
  const int s = m_document.m_selectedVar;
  int& x = m_document.m_scatterX;
  int& y = m_document.m_scatterY;
  if (!(k == x && checked)) {
    const int k2 = checked ? k : -1;
    if (s == x && k2 != -1) {
      y = k2;
    } else if (s == y) {
      x = y;
      y = k2;
    } else {
      if (x != -1) y = x;
      x = k2;
    }
  }
  if (x == y) y = -1;
  SyncDocument(false, SyncChecks);
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::ListCurrentChanged(int previous) {
  if (m_updating) return;
  RecordUndo(ViewScalars);
  if (m_document.m_plotType == PlotScatter && previous == m_document.m_scatterY) {
    std::swap(m_document.m_scatterX, m_document.m_scatterY);
    SyncDocument(true, SyncRedraw);
  } else {
    SyncDocument(true, SyncVariables | SyncRedraw);
  }
}

void TFrmTesplore::ListDropped() {
  if (m_updating) return;
  RecordUndo(ViewOrder);
  SyncDocument(true, SyncAll);
}

void TFrmTesplore::NumSamplesChanged() {
  if (!m_updating) RecordUndo(ViewScalars | ViewMerge);
  SyncDocument(true, SyncSamples | SyncRedraw);
  TUpdating guard(m_updating);
  NumSamplesE->setText(QString::number(NumSamplesT->value()));
}

void TFrmTesplore::NumSamplesEdited() {
  if (m_updating) return;
  RecordUndo(ViewScalars | ViewMerge);
  bool ok = false;
  const int n = NumSamplesE->text().trimmed().toInt(&ok);
  if (!ok) {
    ShowErrorBox(QStringLiteral("'%1' is not a valid integer value").arg(NumSamplesE->text()));
    return;
  }
  {
    TUpdating guard(m_updating);
    NumSamplesT->setValue(n);
    // The bar limits the number; the edit shows what was taken.
    NumSamplesE->setText(QString::number(NumSamplesT->value()));
  }
  SyncDocument(true, SyncSamples | SyncRedraw);
}

void TFrmTesplore::BoundEdited() {
  if (m_updating) return;
  bool modified = false;
  for (QLineEdit* e : m_bounds) modified = modified || e->isModified();
  if (!modified) return;
  RecordUndo(ViewScalars);
  m_document.m_boxType = BoxManual;
  SyncDocument(true, SyncBounds);
  {
    TUpdating guard(m_updating);
    Fit3->setChecked(true);
  }
  SyncDocument(true, SyncParameters | SyncRedraw);
  SyncDocument(false, SyncBounds);
}

void TFrmTesplore::ZoomBarChanged(int tag) {
  if (!m_updating) RecordUndo(ViewScalars | ViewMerge);
  QSlider* moved = m_zoomBars[static_cast<std::size_t>(tag)];
  const int pair = tag / 2 * 2;
  QSlider* low = m_zoomBars[static_cast<std::size_t>(pair)];
  QSlider* high = m_zoomBars[static_cast<std::size_t>(pair + 1)];
  if (low->value() >= high->value()) {
    TUpdating guard(m_updating);
    if (moved == low)
      low->setValue(high->value() - 1);
    else
      high->setValue(low->value() + 1);
  }
  if (m_updating) return;
  (&m_document.m_zoom.x0)[tag] = static_cast<float>(moved->value() * 0.01);
  SyncDocument(true, SyncRedraw);
}

void TFrmTesplore::ResetSliders(int first) {
  QSlider* low = m_zoomBars[static_cast<std::size_t>(first)];
  QSlider* high = m_zoomBars[static_cast<std::size_t>(first + 1)];
  const int l = low->value(), h = high->value();
  high->setValue(100);
  low->setValue(0);
  if (l == 0) ZoomBarChanged(first);
  if (h == 100) ZoomBarChanged(first + 1);
}

void TFrmTesplore::ZoomToSliders() {
  RecordUndo(ViewScalars);
  SampleDataView& doc = m_document;
  TBox& b = doc.m_plotType == PlotScatter ? doc.m_scatterBox : doc.m_box;
  b = doc.ZoomBox(b);
  {
    TUpdating guard(m_updating);
    doc.m_boxType = BoxManual;
    Fit3->setChecked(true);
    doc.m_zoom = TBox{0, 1, 0, 1};
    SyncDocument(false, SyncBounds);
  }
  SyncDocument(true, SyncRedraw);
}
