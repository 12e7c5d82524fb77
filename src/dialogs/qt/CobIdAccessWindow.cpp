#include "dialogs/qt/CobIdAccessWindow.h"

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/RoutingLogic.h"
#include "dialogs/qt/CobIdCsvMenu.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/CobIdTableModel.h"
#include "dialogs/qt/RoutingWindow.h"
#include "platform/qt/QtServices.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace c2c {

CobIdAccessWindow::CobIdAccessWindow(CobIdAccessLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic)
{
    setObjectName(QStringLiteral("FCanCobID"));
    setWindowTitle(QString::fromLatin1(kCobIdAccessCaption));
    setModal(true);
    setSizeGripEnabled(true);

    models_[kCan0ToCan1] = new CobIdTableModel(logic_.Table(kCan0ToCan1), this);
    models_[kCan1ToCan0] = new CobIdTableModel(logic_.Table(kCan1ToCan0), this);
    ASG_C0 = Named(new CobIdGrid(models_[kCan0ToCan1]), "ASG_C0");
    ASG_C1 = Named(new CobIdGrid(models_[kCan1ToCan0]), "ASG_C1");
    PageControl1 = Named(new QTabWidget, "PageControl1");
    PageControl1->addTab(ASG_C0, QString::fromLatin1(kCobIdTabCaptions[kCan0ToCan1]));
    PageControl1->addTab(ASG_C1, QString::fromLatin1(kCobIdTabCaptions[kCan1ToCan0]));
    AddCsvMenu(logic_, {ASG_C0, ASG_C1});

    LbButton1 = Named(new QPushButton(QStringLiteral("OK")), "LbButton1");
    LbButton2 = Named(new QPushButton(QStringLiteral("Cancel")), "LbButton2");
    LbButton3 = Named(new QPushButton(QStringLiteral("Compile All CobID")), "LbButton3");
    LbButton4 = Named(new QPushButton(QStringLiteral("Cancel All CobID")), "LbButton4");
    CheckRoutingButton = Named(new QPushButton(QString::fromLatin1(kCheckRoutingCaption)), "CheckRouting");
    // Enter belongs to the grids; no button is pressed by it from there.
    for (QPushButton* button : {LbButton1, LbButton2, LbButton3, LbButton4, CheckRoutingButton})
        button->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LbButton1);
    buttons->addWidget(LbButton2);
    buttons->addWidget(CheckRoutingButton);
    buttons->addStretch();
    buttons->addWidget(LbButton3);
    buttons->addWidget(LbButton4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(buttons);
    resize(720, 520);

    MessageService& messages = logic_.Services().messages;
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { logic_.shownTab = index; });
    connect(LbButton1, &QPushButton::clicked, this, [this, &messages] { RunGuarded(messages, [this] { Ok(); }); });
    connect(LbButton2, &QPushButton::clicked, this, &QDialog::reject);
    connect(LbButton3, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { CompileAll(); }); });
    connect(LbButton4, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { ClearAll(); }); });
    connect(CheckRoutingButton, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { CheckRouting(); }); });
}

CobIdGrid* CobIdAccessWindow::grid(int direction) const
{
    return direction == kCan1ToCan0 ? ASG_C1 : ASG_C0;
}

void CobIdAccessWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        for (CobIdGrid* view : {ASG_C0, ASG_C1})
            view->cancelEdit();
        RunGuarded(logic_.Services().messages, [this] { logic_.Show(); });
        Refresh();
        for (CobIdGrid* view : {ASG_C0, ASG_C1}) {
            view->scrollToTop();
            view->selectCell(0, kOriginalColumn);
        }
        grid(logic_.shownTab)->setFocus();
    }
    QDialog::showEvent(event);
}

void CobIdAccessWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CobIdAccessWindow::Ok()
{
    for (CobIdGrid* view : {ASG_C0, ASG_C1})
        view->commitEdit();
    if (logic_.Ok()) {
        accept();
        return;
    }
    if (logic_.badCell)
        ShowBadCell();
}

void CobIdAccessWindow::CompileAll()
{
    grid(logic_.shownTab)->commitEdit();
    if (logic_.CompileAll())
        models_[logic_.shownTab]->Refresh();
}

void CobIdAccessWindow::ClearAll()
{
    grid(logic_.shownTab)->commitEdit();
    if (logic_.ClearAll())
        models_[logic_.shownTab]->Refresh();
}

// The routing of the tables as they are now, cell edits included; nothing
// in them changes.
void CobIdAccessWindow::CheckRouting()
{
    for (CobIdGrid* view : {ASG_C0, ASG_C1})
        view->commitEdit();
    RoutingWindow window(logic_.tables, logic_.formats, logic_.shownTab, this);
    window.exec();
}

void CobIdAccessWindow::Refresh()
{
    for (CobIdTableModel* model : models_) {
        model->setModifyEditable(logic_.modifyEditable);
        model->Refresh();
    }
    LbButton3->setVisible(logic_.compileAllVisible);
    QSignalBlocker block(PageControl1);
    PageControl1->setCurrentIndex(logic_.shownTab);
}

void CobIdAccessWindow::ShowBadCell()
{
    PageControl1->setCurrentIndex(logic_.badCell->direction);
    CobIdGrid* view = grid(logic_.badCell->direction);
    view->setFocus();
    view->selectCell(static_cast<int>(logic_.badCell->row), logic_.badCell->column);
}

} // namespace c2c
