#include "ui/services.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QSlider>

namespace {

QPointer<QWidget> owner;

class TPlatformServices : public ITesploreServices {
 public:
  void ErrorBox(const QString& message, const QString& caption) override {
    QMessageBox::critical(owner, caption, message);
  }
  void InfoBox(const QString& message, const QString& caption) override {
    QMessageBox::information(owner, caption, message);
  }
  QString OpenFile(const QString& title, const QString& filter, const QString& folder) override {
    return QFileDialog::getOpenFileName(owner, title, folder, filter);
  }
  QString SaveFile(const QString& title, const QString& filter, const QString& proposed,
                   const QString& suffix) override {
    QFileDialog dialog(owner, title, proposed, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(suffix);
    dialog.selectFile(proposed);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
  }
  bool ExportOptions(TFrameSettings& s, bool jpeg) override {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Image export options"));
    auto* form = new QFormLayout(&dialog);
    auto* user = new QCheckBox(QStringLiteral("User defined"), &dialog);
    user->setChecked(s.NotWindowSize);
    auto* w = new QLineEdit(QString::number(s.ImageWidth), &dialog);
    auto* h = new QLineEdit(QString::number(s.ImageHeight), &dialog);
    auto* quality = new QSlider(Qt::Horizontal, &dialog);
    quality->setRange(0, 100);
    quality->setValue(s.JPEGCompression);
    form->addRow(QStringLiteral("Image size:"), user);
    form->addRow(QStringLiteral("Width:"), w);
    form->addRow(QStringLiteral("Height:"), h);
    if (jpeg) form->addRow(QStringLiteral("JPEG compression:"), quality);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
      // Every field is checked before any is stored.
      for (QLineEdit* e : {w, h}) {
        bool ok = false;
        const int v = e->text().trimmed().toInt(&ok);
        if (!ok) {
          ErrorBox(QStringLiteral("'%1' is not a valid integer value").arg(e->text()),
                   QStringLiteral("Tesplore"));
          return;
        }
        if (v < 16 || v > 10000) {
          ErrorBox(QStringLiteral("Width and height must lie between 16 and 10000."),
                   QStringLiteral("Tesplore"));
          return;
        }
      }
      dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    s.NotWindowSize = user->isChecked();
    s.ImageWidth = w->text().trimmed().toInt();
    s.ImageHeight = h->text().trimmed().toInt();
    s.JPEGCompression = quality->value();
    return true;
  }
  bool PickVariables(const QStringList& names, int limit, std::set<std::size_t>& chosen) override {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("Choose Random Variables"));
    auto* form = new QFormLayout(&dialog);
    auto* list = new QListWidget(&dialog);
    for (int i = 0; i < names.size(); ++i) {
      auto* item = new QListWidgetItem(names[i], list);
      item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
      item->setCheckState(i < limit ? Qt::Checked : Qt::Unchecked);
    }
    form->addRow(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
      int n = 0;
      for (int i = 0; i < list->count(); ++i) n += list->item(i)->checkState() == Qt::Checked;
      if (n < 1 || n > limit) {
        ErrorBox(QStringLiteral("Choose from 1 to %1 variables.").arg(limit),
                 QStringLiteral("Tesplore"));
        return;
      }
      dialog.accept();
    });
    if (dialog.exec() != QDialog::Accepted) return false;
    chosen.clear();
    for (int i = 0; i < list->count(); ++i) {
      if (list->item(i)->checkState() == Qt::Checked) chosen.insert(static_cast<std::size_t>(i));
    }
    return true;
  }
  std::unique_ptr<QPrinter> ChoosePrinter(TPrintSettings&, QString&) override {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    QPrintDialog dialog(printer.get(), owner);
    if (dialog.exec() != QDialog::Accepted) return nullptr;
    return printer;
  }
};

TPlatformServices platform;
ITesploreServices* installed = nullptr;

}  // namespace

ITesploreServices& Services() { return installed ? *installed : platform; }

void SetServices(ITesploreServices* services) { installed = services; }

void SetDialogOwner(QWidget* w) { owner = w; }

bool TServicesPicker::PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                                    std::uint32_t limit, ut::SizeTSet& chosen) {
  QStringList names;
  for (const auto& v : variables) names << QString::fromStdString(v->GetName());
  std::set<std::size_t> picked;
  if (!Services().PickVariables(names, static_cast<int>(limit), picked)) return false;
  chosen = picked;
  return true;
}

void ShowErrorBox(const QString& message, const QString& caption) {
  Services().ErrorBox(message, caption.isEmpty() ? QStringLiteral("Tesplore Error") : caption);
}

void ShowExceptionBox(const QString& message, const ut::Exception& e, const QString& caption) {
  ShowErrorBox(message + "\n\nDetails:  " + QString::fromStdString(e.message()) +
                   "\n\nFunction: '" + QString::fromStdString(e.function_name()),
               caption);
}
