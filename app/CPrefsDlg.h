#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "Preferences.h"

class QCheckBox;
class QLineEdit;

namespace zephyl {

// "Preferences": the breeding settings and MIDI channels of the run. OK checks the fields in
// order and keeps the dialog open on the first one refused, with the focus on it.
class CPrefsDlg : public QDialog {
 public:
  // Control ids of the number fields, in the order of PrefField, and of the check box.
  static constexpr std::array<int, kPrefFieldCount> kFieldIds = {1001, 1000, 1013, 1014,
                                                                 1015, 1016, 1017};
  static constexpr int kExplodeSyxId = 1018;

  using MessageShower = std::function<void(QWidget* parent, const QString& message)>;

  explicit CPrefsDlg(QWidget* parent = nullptr, MessageShower showMessage = {});

  void SetValues(const Preferences& prefs);
  // The values checked by the last accepted OK.
  const Preferences& Values() const { return m_values; }

  QLineEdit* Field(PrefField field) const { return m_fields[static_cast<std::size_t>(field)]; }
  QCheckBox* ExplodeSyxBox() const { return m_explodeSyx; }

  // OK: accepts when every field holds a value it may hold.
  void accept() override;

 private:
  std::array<QLineEdit*, kPrefFieldCount> m_fields{};
  QCheckBox* m_explodeSyx = nullptr;
  MessageShower m_showMessage;
  Preferences m_values;
};

}  // namespace zephyl
