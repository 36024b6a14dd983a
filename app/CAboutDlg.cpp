#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "ZephylIcon.h"
#include "ZephylVersion.h"

namespace zephyl {

namespace {
constexpr int kIconSize = 48;
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About quenset"));

  auto* icons = new QVBoxLayout;
  for (const QImage& image : {DrawProgramIcon(kIconSize), DrawBankFileIcon(kIconSize)}) {
    auto* label = new QLabel(this);
    label->setPixmap(QPixmap::fromImage(image));
    icons->addWidget(label);
  }
  icons->addStretch();

  auto* name = new QLabel(QStringLiteral("Zephyl %1").arg(QLatin1String(kVersion)), this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(new QLabel(
      QStringLiteral("A patch editor and patch generator for the NordLead and NordLead2"), this));
  auto* credits = new QLabel(QStringLiteral("Designed and written by the Zephyl team.\n"
                                            "Breeding, banks and panel drawing: our own code.\n"
                                            "Built with Qt and RtMidi.\n"
                                            "Free software under the GNU General Public "
                                            "License,\nversion 3 or later."),
                             this);
  credits->setEnabled(false);
  texts->addWidget(credits);
  texts->addStretch();

  auto* body = new QHBoxLayout;
  body->addLayout(icons);
  body->addLayout(texts, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace zephyl
