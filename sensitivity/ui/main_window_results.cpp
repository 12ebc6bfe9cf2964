// The main window's result list, details page, charts, exports and dialogs.
#include <QtCore/QBuffer>
#include <QtCore/QCollator>
#include <QtCore/QFileInfo>
#include <QtGui/QClipboard>
#include <QtGui/QPainter>
#include <QtGui/QTextCursor>
#include <QtWidgets/QApplication>
#include <algorithm>
#include <map>

#include "about_box.h"
#include "file_commands.h"
#include "grid_sizing.h"
#include "main_window.h"
#include "options_dialog.h"
#include "png_writer.h"
#include "replacing_file.h"
#include "result_views.h"
#include "services.h"
#include "settings.h"

namespace tesvane {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }
const QColor FlagColor(231, 75, 75);
constexpr int DetailLabelWidth = 150;
constexpr int MatrixLabelWidth = 80;
}  // namespace

TSensitivityItem* TFormTesvaneMain::ResultAtRow(int row) const {
  if (row < 0 || row >= static_cast<int>(rowItems_.size())) return nullptr;
  return rowItems_[static_cast<size_t>(row)];
}

void TFormTesvaneMain::AddResultRow(TSensitivityItem& item, const QString& number) {
  TNiceGrid* g = m_gridMainList;
  const bool own = !g->Core().Updating();
  if (own) g->BeginUpdate();
  // The grid starts with one empty row, which the first result fills; the
  // rows are counted here, so an empty name never makes a row be reused.
  int r = static_cast<int>(rowItems_.size());
  if (r >= g->RowCount()) r = g->AddRow();
  rowItems_.push_back(&item);
  rowNumbers_.append(number);
  const std::vector<std::string> texts = ResultRowTexts(item);
  for (int c = 0; c < ResultListColumns; ++c) g->SetCells(c, r, Q(texts[static_cast<size_t>(c)]));
  if (own) g->SetGutterStrings(rowNumbers_);
  // Row numbers from 1000 on would not fit the designed gutter.
  g->SetGutterWidth(GutterWidthFor(*g, {number}, g->GutterWidth()));
  g->EnsureVisible(0, r);
  g->SelectRow(r);
  g->SetSelectArea(TNiceRect{0, r, ResultListColumns - 1, r});
  if (own) g->EndUpdate();
}

void TFormTesvaneMain::SortResultList(int c) {
  TNiceGrid* g = m_gridMainList;
  const int n = static_cast<int>(rowItems_.size());
  if (c < -1 || c >= ResultListColumns) return;
  const bool ascending = !(c == -1 ? g->GutterAscSorted() : g->Columns()[c]->SortedAsc);
  std::vector<double> keys(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    TSensitivityItem& item = *rowItems_[static_cast<size_t>(i)];
    if (c == -1)
      keys[static_cast<size_t>(i)] = rowNumbers_[i].toDouble();
    else if (c >= 2)
      keys[static_cast<size_t>(i)] = ResultSortValue(item, c);
  }
  if (c == 0 || c == 1) {
    // Names compare by the user's locale without regard to case: each name
    // gets its rank among the distinct names, equal names the same rank.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<int> order(static_cast<size_t>(n));
    QStringList texts;
    for (int i = 0; i < n; ++i) {
      texts << g->Cells(c, i);
      order[static_cast<size_t>(i)] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return collator.compare(texts[a], texts[b]) < 0; });
    int rank = 0;
    for (int k = 0; k < n; ++k) {
      if (k > 0 && collator.compare(texts[order[static_cast<size_t>(k - 1)]],
                                    texts[order[static_cast<size_t>(k)]]) != 0)
        ++rank;
      keys[static_cast<size_t>(order[static_cast<size_t>(k)])] = rank;
    }
  }
  const std::vector<int32_t> order = ExchangeSortOrder(n, ascending, [&](int32_t a, int32_t b) {
    const double ka = keys[static_cast<size_t>(a)], kb = keys[static_cast<size_t>(b)];
    return ka < kb ? -1 : (ka > kb ? 1 : 0);
  });
  // Rows moved once: items, numbers and every cell.
  std::vector<TSensitivityItem*> items(static_cast<size_t>(n));
  QStringList numbers;
  for (int r = 0; r < n; ++r) {
    items[static_cast<size_t>(r)] = rowItems_[static_cast<size_t>(order[static_cast<size_t>(r)])];
    numbers << rowNumbers_[order[static_cast<size_t>(r)]];
  }
  g->BeginUpdate();
  for (int col = 0; col < ResultListColumns; ++col) {
    QStringList cells = g->Columns()[col]->GetStrings();
    QStringList moved;
    for (int r = 0; r < n; ++r) moved << cells.value(order[static_cast<size_t>(r)]);
    g->Columns()[col]->SetStrings(moved);
  }
  rowItems_ = std::move(items);
  rowNumbers_ = numbers;
  g->SetGutterStrings(rowNumbers_);
  {
    // RunData.Results follows the list's order (the shown rows come first).
    std::lock_guard<std::mutex> guard(RunData.Lock);
    std::vector<std::unique_ptr<TSensitivityItem>> reordered;
    std::map<TSensitivityItem*, size_t> at;
    for (size_t i = 0; i < RunData.Results.size(); ++i) at[RunData.Results[i].get()] = i;
    for (TSensitivityItem* item : rowItems_)
      reordered.push_back(std::move(RunData.Results[at[item]]));
    for (auto& rest : RunData.Results)
      if (rest) reordered.push_back(std::move(rest));
    RunData.Results = std::move(reordered);
  }
  if (c == -1)
    g->SetGutterAscSorted(ascending);
  else
    g->Columns()[c]->SortedAsc = ascending;
  g->EndUpdate();
}

void TFormTesvaneMain::ClearResults() {
  RunData.ClearResults();
  {
    std::lock_guard<std::mutex> guard(RunData.Lock);
    RunData.Jobs.clear();
  }
  rowItems_.clear();
  rowNumbers_.clear();
  nextNumber_ = 1;
  TNiceGrid* g = m_gridMainList;
  g->BeginUpdate();
  g->SetRowCount(1);
  g->Clear();
  g->SetGutterStrings({});
  g->EndUpdate();
  TNiceGrid* m = m_gridCorrMatrix;
  m->BeginUpdate();
  m->SetColCount(1);
  m->SetRowCount(1);
  m->Clear();
  m->SetGutterStrings({});
  m->Columns()[0]->SetTitle("");
  m->EndUpdate();
  TNiceGrid* d = m_gridDetailResults;
  d->BeginUpdate();
  d->Clear();
  QStringList labels;
  for (const std::string& l : DetailLabels()) labels << Q(l);
  d->SetGutterStrings(labels);
  d->EndUpdate();
  rchedtPolynomial->clear();
  lblPredicted->SetFullText({});
  lblBase->SetFullText({});
  lblExplanatory->SetFullText({});
  MainChart->ClearToRest();
  Chart1->ClearToRest();
  Chart1->Foot()->setVisible(false);
  SetNavigator(-1, -1, -1);
  lblItemNo->clear();
}

void TFormTesvaneMain::EnableResultCommands(bool on) {
  resultCommands_ = on;
  for (QAction* a : {actCopyCondExp, actCopyScatter, actExportScatter, actExportCondExp,
                     actExportResults, actCopyResults, actCopyMatrixAll, actCopyMatrixSel})
    a->setEnabled(on);
  lblExplanatory->setVisible(on);
  btnNavPrev->setEnabled(on);
  btnNavNext->setEnabled(on);
}

void TFormTesvaneMain::SetNavigator(int minimum, int maximum, int position) {
  navMin_ = minimum;
  navMax_ = maximum;
  navPos_ = position;
}

void TFormTesvaneMain::NavigatorStep(int delta) {
  if (navPos_ == -1 && navMin_ == -1) return;
  const int v = navPos_ + delta;
  if (v < navMin_ || v > navMax_) return;
  UpDown1ChangingEx(v);
}

bool TFormTesvaneMain::UpDown1ChangingEx(int v) {
  const int count = static_cast<int>(rowItems_.size());
  if (v >= 1 && v <= count) {
    navPos_ = v;
    m_gridMainList->SelectRow(v - 1);
    ShowItemDetails(v - 1);
    return true;
  }
  if (v == -1) {
    navPos_ = v;
    return true;
  }
  return false;
}

void TFormTesvaneMain::PageControl1Change() {
  if (PageControl1->currentIndex() != 1 || rowItems_.empty()) return;
  lblExplanatoryCaption->setVisible(!lblExplanatory->FullText().isEmpty());
  const int row = std::max(0, m_gridMainList->Row());
  if (navPos_ != row + 1 || lblItemNo->text().isEmpty()) {
    navPos_ = row + 1;
    ShowItemDetails(row);
  }
}

void TFormTesvaneMain::ComboBox1Change() {
  if (lblItemNo->text().isEmpty()) return;
  if (TSensitivityItem* item = ResultAtRow(lblItemNo->text().toInt() - 1)) FillMatrixGrid(*item);
}

void TFormTesvaneMain::ResultListDoubleClick() {
  if (rowItems_.empty() || m_gridMainList->Row() < 0) return;
  navPos_ = m_gridMainList->Row() + 1;
  ShowItemDetails(m_gridMainList->Row());
  PageControl1->setCurrentIndex(1);
}

void TFormTesvaneMain::ShowItemDetails(int index) {
  TSensitivityItem* item = ResultAtRow(index);
  if (item == nullptr) return;
  SetBusyCursor(true);
  lblItemNo->setText(QString::number(index + 1));
  lblPredicted->SetFullText(Q(item->PredictedName()));
  lblBase->SetFullText(Q(item->BaseName()));
  lblExplanatory->SetFullText(Q(ExplanatoryText(*item)));
  lblExplanatoryCaption->setVisible(!lblExplanatory->FullText().isEmpty());
  lblExplanatory->setVisible(!lblExplanatory->FullText().isEmpty());
  FormatPolynomialText(*item);
  FillDetailGrid(*item);
  FillMatrixGrid(*item);
  // The samples by the job's variable ids.
  const auto& ids = item->VariableIds;
  if (ids.size() > static_cast<size_t>(item->BasePos)) {
    const size_t y = static_cast<size_t>(ids[0]);
    const size_t x = static_cast<size_t>(ids[static_cast<size_t>(item->BasePos)]);
    if (y < FileData.Samples.size() && x < FileData.Samples.size()) {
      TIniFile ini(SettingsFileName());
      MainChart->DrawScatter(*item, FileData.Samples[x].data(), FileData.Samples[y].data(),
                             FileData.SampleCount, ReadSamplesForRegressionPlot(ini));
    }
  }
  if (item->UsableCount < 1) {
    Chart1->Foot()->setVisible(true);
    Chart1->ClearConditional(*item);
  } else {
    Chart1->Foot()->setVisible(false);
    Chart1->DrawConditional(*item, actScaleFromRegression->isChecked() ? MainChart : nullptr);
  }
  SetBusyCursor(false);
}

void TFormTesvaneMain::FillDetailGrid(const TSensitivityItem& item) {
  TNiceGrid* d = m_gridDetailResults;
  d->BeginUpdate();
  QStringList labels;
  const std::vector<TDetailRow> rows = DetailRows(item);
  for (int r = 0; r < DetailRowCount; ++r) {
    labels << Q(rows[static_cast<size_t>(r)].Label);
    d->SetCells(0, r, Q(rows[static_cast<size_t>(r)].Value));
  }
  d->SetGutterStrings(labels);
  d->SetGutterWidth(GutterWidthFor(*d, labels, DetailLabelWidth));
  d->EndUpdate();
}

void TFormTesvaneMain::FillMatrixGrid(const TSensitivityItem& item) {
  TSquareMatrix matrix;
  {
    std::lock_guard<std::mutex> guard(RunData.Lock);
    const auto& all =
        ComboBox1->currentIndex() == 0 ? RunData.CorrMatrices : RunData.CofactorMatrices;
    if (item.MatrixIndex < 0 || item.MatrixIndex >= static_cast<int32_t>(all.size())) return;
    matrix = all[static_cast<size_t>(item.MatrixIndex)].ToMatrix();
  }
  const int k = static_cast<int>(item.Names.size());
  TNiceGrid* m = m_gridCorrMatrix;
  m->BeginUpdate();
  m->SetColCount(k);
  m->SetRowCount(k);
  m->Clear();
  QStringList labels;
  for (int i = 0; i < k; ++i) {
    labels << Q(item.Names[static_cast<size_t>(i)]);
    TNiceColumn* col = m->Columns()[i];
    col->SetTitle(Q(item.Names[static_cast<size_t>(i)]));
    col->SetHorzAlign(haRight);
    col->ReadOnly = true;
    col->NumberText = true;
  }
  m->SetGutterStrings(labels);
  FitNumberColumns(*m, 0, k - 1, WidestNumberText(ResultFormat), false);
  m->SetGutterWidth(GutterWidthFor(*m, labels, MatrixLabelWidth));
  if (matrix.Size() == k)
    for (int i = 0; i < k; ++i)
      for (int j = i; j < k; ++j) {
        m->SetCells(j, i, Q(FormatResult(matrix(j, i))));
        m->SetCells(i, j, Q(FormatResult(matrix(i, j))));
      }
  m->EndUpdate();
}

void TFormTesvaneMain::FormatPolynomialText(const TSensitivityItem& item) {
  rchedtPolynomial->setVisible(false);
  rchedtPolynomial->clear();
  QTextCursor cursor(rchedtPolynomial->document());
  QTextCharFormat plain;
  plain.setFontPointSize(8);
  for (const TPolyPiece& piece :
       PolynomialPieces(item.PolyCoefs, item.PredictedName(), item.BaseName())) {
    QTextCharFormat f = plain;
    if (piece.Kind != TPolyFragment::Plain) f.setFontWeight(QFont::Bold);
    if (piece.Kind == TPolyFragment::Exponent) {
      f.setForeground(Qt::red);
      f.setFontPointSize(6);
      f.setBaselineOffset(50);  // 3 points above the baseline of a 6-point text
    }
    cursor.insertText(Q(piece.Text), f);
  }
  QTextCursor end(rchedtPolynomial->document());
  end.movePosition(QTextCursor::End);
  end.movePosition(QTextCursor::Left);
  rchedtPolynomial->setTextCursor(end);
  rchedtPolynomial->setVisible(true);
}

void TFormTesvaneMain::DrawFlaggedCell(TNiceGrid* grid, QPainter* canvas, int col, int row,
                                       const QRect& rc, bool& handled) {
  const QString text = grid->SafeGetCell(col, row);
  if (text.isEmpty()) return;
  QColor background;
  if (grid == m_gridMainList) {
    TSensitivityItem* item = ResultAtRow(row);
    if (item && ResultCellFlagged(*item, col + 1)) background = FlagColor;
  } else if (grid == m_gridDetailResults) {
    TSensitivityItem* item = ResultAtRow(m_gridMainList->Row());
    if (item && DetailRowFlagged(*item, row + 1)) background = FlagColor;
  } else if (grid == m_gridCorrMatrix) {
    if (row > col) background = QColor(245, 245, 245);
    if (row == col) background = QColor(221, 221, 221);
  }
  if (!background.isValid()) return;
  canvas->fillRect(rc.adjusted(0, 0, -1, -1), background);
  canvas->setPen(grid->palette().color(QPalette::Text));
  // The grid's own text: a number too wide for the cell shows "###" here too.
  grid->DrawShownText(*canvas, col, row, rc);
  handled = true;
}

void TFormTesvaneMain::SetDotSize(TSensChart* chart, int pixels) {
  chart->SetDotSize(pixels);
  QAction** entries = chart == MainChart ? scatterDot : condDot;
  for (int i = 0; i < 3; ++i) entries[i]->setChecked(pixels == i + 1);
}

void TFormTesvaneMain::ToggleScaleFromRegression() {
  // The action has already flipped its check.
  if (actScaleFromRegression->isChecked())
    Chart1->ScaleLeftFrom(*MainChart);
  else
    Chart1->AutoScaleLeft();
}

void TFormTesvaneMain::CopyChart(TSensChart* chart) {
  QApplication::clipboard()->setImage(chart->RenderImage());
}

void TFormTesvaneMain::ExportChart(TSensChart* chart) {
  const QStringList filters = {"Portable Network Graphics (*.png)",
                               "Scalable Vector Graphics (*.svg)", "Bitmaps (*.bmp)"};
  int filter = lastPictureFilter_;
  QString path =
      AbsolutePath(Services().SaveFile(this, "Save picture", filters, filter, lastPictureName_));
  if (path.isEmpty()) return;
  lastPictureName_ = path;
  lastPictureFilter_ = filter;
  if (QFileInfo(path).suffix().isEmpty()) {
    static const char* const suffixes[] = {".png", ".svg", ".bmp"};
    path += suffixes[filter >= 0 && filter < 3 ? filter : 0];
  }
  const std::string ext = LowerExtension(S(path));
  if (ext == ".png") {
    TPNGObject png;
    png.Assign(BitmapFromImage(chart->RenderImage()));
    png.SaveToFile(S(path));
  } else if (ext == ".svg" || ext == ".bmp") {
    QByteArray bytes;
    if (ext == ".svg") {
      bytes = chart->SvgFile();
    } else {
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      if (!chart->RenderImage().save(&buffer, "BMP")) bytes.clear();
    }
    std::string error;
    if (bytes.isEmpty() ||
        !common::ReplaceFileContent(S(path), {bytes.constData(), size_t(bytes.size())}, error))
      ShowError("The file " + S(path) + " could not be written");
  } else {
    ShowMessage("Nothing was written: " + S(path) +
                " has none of the extensions .png, .svg and .bmp");
  }
}

void TFormTesvaneMain::ExportResults() {
  QString path;
  while (true) {
    int filter = 0;
    path = AbsolutePath(
        Services().SaveFile(this, "Export results", {"Comma separated (*.csv)"}, filter, {}));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty() && filter == 0) path += ".csv";
    if (QFileInfo::exists(path) && IsFileLocked(S(path))) {
      Services().Message(this, "Tesvane",
                         "File " + path +
                             " is open in another application. Close it or choose different file "
                             "name",
                         QMessageBox::Information);
      continue;
    }
    break;
  }
  if (LowerExtension(S(path)) == ".csv")
    m_gridMainList->ExportToCsv(path);
  else
    ShowMessage("Nothing was written: " + S(path) + " does not have the extension .csv");
}

void TFormTesvaneMain::OptionsCommand() {
  TPagesDlg dialog(trkDegree->minimum(), trkDegree->maximum(), this);
  if (Services().Exec(dialog) == QDialog::Accepted) ApplyOptions(dialog.Texts());
}

void TFormTesvaneMain::ApplyOptions(const TOptionsTexts& texts) {
  TOptionsSettings options;
  const std::string problem = CheckOptions(texts, options);
  if (!problem.empty()) {
    ShowError(problem);
    return;
  }
  TIniFile ini(SettingsFileName());
  const int32_t storedFormat = ini.ReadInteger(ini::Parameters, ini::NumberFormat, 0);
  if (options.Precision != ResultFormat.Precision || storedFormat != options.NumberFormat) {
    ResultFormat.Precision = options.Precision;
    ResultFormat.FormatString = ResultFormatString(options.Precision, options.NumberFormat);
    if (!Running()) RebuildResultRows();
    SizeGridsToFormat(false);
  }
  WriteOptionsSettings(ini, options);
  trkDegree->setRange(options.DegreeMin, options.DegreeMax);
  lblDegMin->setText(QString::number(options.DegreeMin));
  lblDegMax->setText(QString::number(options.DegreeMax));
  edtDegree->setText(
      QString::number(ini.ReadInteger(ini::Parameters, ini::DegreeOfPolynomial, DefaultDegree)));
  for (int k = 0; k < 12; ++k)
    m_gridMainList->Columns()[k + 2]->SetVisible(options.ColumnShown[static_cast<size_t>(k)]);
}

void TFormTesvaneMain::RebuildResultRows() {
  if (rowItems_.empty()) return;
  const int current = m_gridMainList->Row();
  std::vector<TSensitivityItem*> items = rowItems_;
  QStringList numbers = rowNumbers_;
  rowItems_.clear();
  rowNumbers_.clear();
  TNiceGrid* g = m_gridMainList;
  g->BeginUpdate();
  g->SetRowCount(1);
  g->Clear();
  for (size_t i = 0; i < items.size(); ++i) AddResultRow(*items[i], numbers[static_cast<int>(i)]);
  g->SetGutterStrings(rowNumbers_);
  if (current >= 0 && current < static_cast<int>(items.size())) {
    g->SelectRow(current);
    g->SetSelectArea(TNiceRect{0, current, ResultListColumns - 1, current});
  }
  g->EndUpdate();
  if (!lblItemNo->text().isEmpty() && current >= 0) {
    TSensitivityItem& item = *rowItems_[static_cast<size_t>(current)];
    FillDetailGrid(item);
    FillMatrixGrid(item);
    FormatPolynomialText(item);
  }
}

void TFormTesvaneMain::AboutCommand() {
  TAboutBox box(this);
  Services().Exec(box);
}

}  // namespace tesvane
