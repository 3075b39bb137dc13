#include "CDgnImportOptionsDlg.h"

#include "DgnImportSettings.h"

#include <QCoreApplication>

namespace {
constexpr Qt::WindowFlags kDialogFlags = Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
constexpr long kHelpId = 2132;
constexpr unsigned kExplodeTextNodes = 1;
} // namespace

void Ui_CDgnImportOptionsDlg::setupUi(QDialog* CDgnImportOptionsDlg)
{
  if (CDgnImportOptionsDlg->objectName().isEmpty())
    CDgnImportOptionsDlg->setObjectName(QString::fromLatin1("CDgnImportOptionsDlg"));
  CDgnImportOptionsDlg->resize(214, 67);
  QSizePolicy fixed(QSizePolicy::Fixed, QSizePolicy::Fixed);
  fixed.setHeightForWidth(CDgnImportOptionsDlg->sizePolicy().hasHeightForWidth());
  CDgnImportOptionsDlg->setSizePolicy(fixed);
  CDgnImportOptionsDlg->setMaximumSize(QSize(269, 115));
  gridLayout = new QGridLayout(CDgnImportOptionsDlg);
  gridLayout->setObjectName(QString::fromLatin1("gridLayout"));
  cbExplodeTextNode = new QCheckBox(CDgnImportOptionsDlg);
  cbExplodeTextNode->setObjectName(QString::fromLatin1("cbExplodeTextNode"));
  gridLayout->addWidget(cbExplodeTextNode, 0, 0, 1, 1);
  buttonBox = new CFxQtDialogButtonBox(CDgnImportOptionsDlg);
  buttonBox->setObjectName(QString::fromLatin1("buttonBox"));
  QSizePolicy expanding(QSizePolicy::Expanding, QSizePolicy::Preferred);
  expanding.setHeightForWidth(buttonBox->sizePolicy().hasHeightForWidth());
  buttonBox->setSizePolicy(expanding);
  buttonBox->setOrientation(Qt::Horizontal);
  buttonBox->setStandardButtons(QDialogButtonBox::Close);
  buttonBox->setCenterButtons(true);
  gridLayout->addWidget(buttonBox, 1, 0, 1, 1);
  retranslateUi(CDgnImportOptionsDlg);
  QMetaObject::connectSlotsByName(CDgnImportOptionsDlg);
}

void Ui_CDgnImportOptionsDlg::retranslateUi(QDialog* CDgnImportOptionsDlg)
{
  CDgnImportOptionsDlg->setWindowTitle(QCoreApplication::translate("CDgnImportOptionsDlg", "Options", nullptr));
  cbExplodeTextNode->setText(
    QCoreApplication::translate("CDgnImportOptionsDlg", "&Explode text node to text elements", nullptr));
}

CDgnImportOptionsDlg::CDgnImportOptionsDlg(QWidget* parent) : CFxDialog(parent, true, kDialogFlags)
{
  ui.setupUi(this);
  ui.cbExplodeTextNode->setChecked(rememberedImportOptions() & kExplodeTextNodes);
  connect(ui.buttonBox->button(QDialogButtonBox::Close), SIGNAL(clicked()), this, SLOT(close_clicked()));
}

CDgnImportOptionsDlg::~CDgnImportOptionsDlg() = default;

long CDgnImportOptionsDlg::GetHelpId() const
{
  return kHelpId;
}

bool CDgnImportOptionsDlg::isExplodeTextNodesChecked()
{
  rememberedImportOptions() = 0;
  if (ui.cbExplodeTextNode->isChecked())
    rememberedImportOptions() |= kExplodeTextNodes;
  return ui.cbExplodeTextNode->isChecked();
}

void CDgnImportOptionsDlg::close_clicked()
{
  reject();
}
