#include "CPrefsDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QVBoxLayout>

#include "QtText.h"

namespace zephyl {

namespace {

constexpr int kNumberFieldChars = 5;

QLineEdit* MakeField(QWidget* parent, const PrefFieldRule& rule, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QStringLiteral("field%1").arg(id));
  edit->setAccessibleName(FromUtf8(rule.label));
  edit->setAlignment(Qt::AlignRight);
  edit->setMaximumWidth(
      edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (kNumberFieldChars + 2) + 8);
  return edit;
}

QString Label(PrefField field) {
  return FromUtf8(kPrefFieldRules[static_cast<std::size_t>(field)].label);
}

}  // namespace

CPrefsDlg::CPrefsDlg(QWidget* parent, MessageShower showMessage)
    : QDialog(parent), m_showMessage(std::move(showMessage)) {
  setWindowTitle(QStringLiteral("Preferences"));
  if (!m_showMessage) {
    m_showMessage = [](QWidget* owner, const QString& message) {
      QMessageBox::warning(owner, QStringLiteral("Preferences"), message);
    };
  }
  for (std::size_t i = 0; i < kPrefFieldCount; ++i) {
    m_fields[i] = MakeField(this, kPrefFieldRules[i], kFieldIds[i]);
  }

  auto* procreate = new QGroupBox(QStringLiteral("Procreate"), this);
  auto* breeding = new QFormLayout(procreate);
  breeding->addRow(Label(PrefField::Mutation), Field(PrefField::Mutation));
  breeding->addRow(Label(PrefField::Children), Field(PrefField::Children));

  auto* channels = new QGridLayout;
  channels->addWidget(new QLabel(QStringLiteral("MIDI channel"), this), 0, 0);
  for (std::size_t s = 0; s < kSlotCount; ++s) {
    const auto field = static_cast<PrefField>(static_cast<std::size_t>(PrefField::SlotA) + s);
    auto* label = new QLabel(Label(field), this);
    label->setBuddy(Field(field));
    label->setAlignment(Qt::AlignHCenter);
    channels->addWidget(label, 0, static_cast<int>(s) + 1);
    channels->addWidget(Field(field), 1, static_cast<int>(s) + 1);
  }
  auto* global = new QFormLayout;
  global->addRow(Label(PrefField::Global), Field(PrefField::Global));

  m_explodeSyx = new QCheckBox(QStringLiteral("Explode patches with .syx extension"), this);
  m_explodeSyx->setObjectName(QStringLiteral("field%1").arg(kExplodeSyxId));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CPrefsDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPrefsDlg::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(procreate);
  layout->addLayout(channels);
  layout->addLayout(global);
  layout->addWidget(m_explodeSyx);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CPrefsDlg::SetValues(const Preferences& prefs) {
  m_values = prefs;
  for (std::size_t i = 0; i < kPrefFieldCount; ++i) {
    m_fields[i]->setText(QString::number(prefs.numbers[i]));
  }
  m_explodeSyx->setChecked(prefs.explodeSyx);
}

void CPrefsDlg::accept() {
  std::array<std::string, kPrefFieldCount> texts;
  for (std::size_t i = 0; i < kPrefFieldCount; ++i) texts[i] = m_fields[i]->text().toStdString();
  Preferences checked = m_values;
  if (const auto refusal = CheckPreferenceTexts(texts, checked)) {
    QLineEdit* field = Field(refusal->field);
    m_showMessage(this, QString::fromStdString(refusal->message));
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return;
  }
  checked.explodeSyx = m_explodeSyx->isChecked();
  m_values = checked;
  QDialog::accept();
}

}  // namespace zephyl
