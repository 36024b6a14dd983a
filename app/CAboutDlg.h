#pragma once

#include <QDialog>

namespace zephyl {

// The about box: the two icons, the name and version, what the program is, and credits.
class CAboutDlg : public QDialog {
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace zephyl
