#include "ui/frmAbout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "startup/Arranque.h"
#include "ui/frmSplash.h"

namespace neva {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About"));
    picIcon = new QLabel(this);
    picIcon->setPixmap(neva_logo(64));
    lblTitle = new QLabel(QStringLiteral("NEVA - Setup"), this);
    QFont f = lblTitle->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    lblTitle->setFont(f);
    lblVersion = new QLabel(QStringLiteral("Version:"), this);
    lblDescription = new QLabel(
        QStringLiteral("Configuration and monitoring of the NEVA200 feeder protection relay."), this);
    lblDescription->setWordWrap(true);
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    lblVersion->setText(QString::fromStdString("Version: " + Arranque::version_programa()));

    auto line = [this] {
        auto* l = new QFrame(this);
        l->setFrameShape(QFrame::HLine);
        l->setFrameShadow(QFrame::Sunken);
        return l;
    };
    auto* top = new QHBoxLayout;
    top->addWidget(picIcon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    top->addLayout(texts, 1);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addWidget(line());
    all->addWidget(lblDescription);
    all->addWidget(line());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOK);
    all->addLayout(buttons);
    setMinimumWidth(360);
}

}  // namespace neva
