#include "app/qt/TFDrevantaFirmWare.h"

#include "app/Workspace.h"
#include "documents/CommSettings.h"
#include "documents/qt/TFpargen.h"
#include "platform/qt/QtServices.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace c2c {

TFDrevantaFirmWare::TFDrevantaFirmWare(Workspace& workspace, CommSession& session, MessageService& messages,
                                       FolderPicker& picker, QWidget* parent)
    : QWidget(parent), workspace_(workspace), session_(session), messages_(messages), picker_(picker)
{
    setObjectName(QStringLiteral("FDrevantaFirmWare"));
    setWindowTitle(QString::fromLatin1(kInitialCaption));
    open = new QPushButton(QStringLiteral("Open project"), this);
    open->setObjectName(QStringLiteral("open"));
    btn_Prm_Gen = new QPushButton(QStringLiteral("Set Communication"), this);
    btn_Prm_Gen->setObjectName(QStringLiteral("btn_Prm_Gen"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(open);
    layout->addWidget(btn_Prm_Gen);

    connect(open, &QPushButton::clicked, this, [this] { RunGuarded(messages_, [this] { OpenaClick(); }); });
    connect(btn_Prm_Gen, &QPushButton::clicked, this,
            [this] { RunGuarded(messages_, [this] { btn_str_lng1aClick(btn_Prm_Gen); }); });
}

void TFDrevantaFirmWare::FormCreate(const std::string& exeDir)
{
    if (workspace_.Initialise(exeDir))
        setWindowTitle(ToQString(workspace_.Title()));
    LoadCommSession(workspace_.PargenFile, session_);
}

void TFDrevantaFirmWare::OpenaClick()
{
    workspace_.OpenProject(picker_);
    setWindowTitle(ToQString(workspace_.Title()));
    LoadCommSession(workspace_.PargenFile, session_);
}

void TFDrevantaFirmWare::btn_str_lng1aClick(QPushButton* sender)
{
    if (!workspace_.IsProjectValid()) {
        messages_.showMessage("Project not valid");
        return;
    }
    if (sender == btn_Prm_Gen && pargen_)
        pargen_->exec();
}

void TFDrevantaFirmWare::closeEvent(QCloseEvent* event)
{
    RunGuarded(messages_, [this] { workspace_.SaveLastProject(); });
    event->accept();
}

} // namespace c2c
