#include "QtUserPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "CAboutDlg.h"
#include "CPrefsDlg.h"

namespace zephyl {

namespace {

const QString kTitle = QStringLiteral("Zephyl");

// The extension a name without one gets, from the filter chosen.
QString SuffixOf(const QString& filter) {
  return filter.contains(QLatin1String("*.syx")) ? QStringLiteral("syx") : QStringLiteral("zpf");
}

}  // namespace

void QtUserPrompts::ShowError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, kTitle, message);
}

void QtUserPrompts::ShowNotice(QWidget* parent, const QString& message) {
  auto* box = new QMessageBox(QMessageBox::Warning, kTitle, message, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

QString QtUserPrompts::AskOpenFile(QWidget* parent, const QString& folder) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Open"), folder,
                                      QLatin1String(kBankFileFilter));
}

QString QtUserPrompts::AskSaveFile(QWidget* parent, const QString& suggested) {
  QFileDialog dialog(parent, QStringLiteral("Save As"), suggested, QLatin1String(kBankFileFilter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(SuffixOf(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& filter) { dialog.setDefaultSuffix(SuffixOf(filter)); });
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

QString QtUserPrompts::AskFolder(QWidget* parent, const QString& title, const QString& start) {
  return QFileDialog::getExistingDirectory(parent, title, start);
}

bool QtUserPrompts::EditPreferences(QWidget* parent, Preferences& prefs) {
  CPrefsDlg dialog(parent);
  dialog.SetValues(prefs);
  if (dialog.exec() != QDialog::Accepted) return false;
  prefs = dialog.Values();
  return true;
}

void QtUserPrompts::ShowAbout(QWidget* parent) {
  CAboutDlg dialog(parent);
  dialog.exec();
}

bool QtUserPrompts::AskQuitWithoutSaving(QWidget* parent, const QString& message) {
  QMessageBox box(QMessageBox::Warning, kTitle, message, QMessageBox::NoButton, parent);
  QPushButton* quit =
      box.addButton(QStringLiteral("Quit Without Saving"), QMessageBox::DestructiveRole);
  QPushButton* cancel = box.addButton(QMessageBox::Cancel);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == quit;
}

bool QtUserPrompts::AskRestore(QWidget* parent, const QString& details) {
  QMessageBox box(QMessageBox::Question, kTitle,
                  QStringLiteral("Restore the banks of the last session?"), QMessageBox::NoButton,
                  parent);
  box.setInformativeText(details);
  QPushButton* restore = box.addButton(QStringLiteral("Restore"), QMessageBox::AcceptRole);
  QPushButton* discard = box.addButton(QStringLiteral("Discard"), QMessageBox::RejectRole);
  box.setDefaultButton(restore);
  box.setEscapeButton(discard);
  box.exec();
  return box.clickedButton() == restore;
}

}  // namespace zephyl
