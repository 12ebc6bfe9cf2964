#include "ui/about_box.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFrame>
#include <QVBoxLayout>

#include "ut/exception.h"
#include "ut/version.h"

void GetAppVersion(const QString& executable, int& major, int& minor) {
  if (!ut::get_file_version(executable.toStdString(), major, minor)) {
    throw ut::Exception("The application exe file does not contain version information",
                        "GetAppVersion");
  }
}

TFrmAbout::TFrmAbout(QWidget* parent, const QString& executable, const QLocale& locale)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  const QString exe = executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable;
  int major = 0, minor = 0;
  GetAppVersion(exe, major, minor);
  setObjectName(QStringLiteral("FrmAbout"));
  setWindowTitle(QStringLiteral("About Tesplore"));
  auto* layout = new QVBoxLayout(this);
  m_lblAppNameVersion = new QLabel(QStringLiteral("Tesplore  %1.%2").arg(major).arg(minor), this);
  QFont big = m_lblAppNameVersion->font();
  big.setBold(true);
  big.setPointSizeF(big.pointSizeF() * 1.5);
  m_lblAppNameVersion->setFont(big);
  layout->addWidget(m_lblAppNameVersion);
  auto* rule = new QFrame(this);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addWidget(rule);
  Label2 = new QLabel(QStringLiteral("Part of the Tesmira software suite"), this);
  layout->addWidget(Label2);
  layout->addWidget(new QLabel(
      QStringLiteral("Cobweb, marginal, scatter, density and histogram plots of samples"), this));
  const QDateTime built = QFileInfo(exe).lastModified().toLocalTime();
  lblCompiled = new QLabel(QStringLiteral("Built on ") +
                               locale.toString(built, QStringLiteral("dddd d 'of' MMMM yyyy, ") +
                                                          locale.timeFormat(QLocale::ShortFormat)),
                           this);
  layout->addWidget(lblCompiled);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}
