#include "dialogs/qt/CobIdAccessWindow.h"

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/RoutingLogic.h"
#include "dialogs/qt/AddRowsWindow.h"
#include "dialogs/qt/CobIdCsvMenu.h"
#include "dialogs/qt/CobIdEditCommand.h"
#include "dialogs/qt/CobIdFindBar.h"
#include "dialogs/qt/CobIdGrid.h"
#include "dialogs/qt/CobIdTableModel.h"
#include "dialogs/qt/RoutingWindow.h"
#include "platform/qt/QtServices.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

namespace c2c {

namespace {

QAction* Separator(QObject* parent)
{
    auto* separator = new QAction(parent);
    separator->setSeparator(true);
    return separator;
}

} // namespace

CobIdAccessWindow::CobIdAccessWindow(CobIdAccessLogic& logic, QWidget* parent) : QDialog(parent), logic_(logic)
{
    setObjectName(QStringLiteral("FCanCobID"));
    setWindowTitle(QString::fromLatin1(kCobIdAccessCaption));
    setModal(true);
    setSizeGripEnabled(true);

    undoStack_ = Named(new QUndoStack(this), "UndoStack");
    models_[kCan0ToCan1] = new CobIdTableModel(logic_, kCan0ToCan1, this);
    models_[kCan1ToCan0] = new CobIdTableModel(logic_, kCan1ToCan0, this);
    for (CobIdTableModel* model : models_)
        model->setSubmit([this](CobIdEdit edit) { submitEdit(std::move(edit)); });
    ASG_C0 = Named(new CobIdGrid(models_[kCan0ToCan1]), "ASG_C0");
    ASG_C1 = Named(new CobIdGrid(models_[kCan1ToCan0]), "ASG_C1");
    PageControl1 = Named(new QTabWidget, "PageControl1");
    PageControl1->addTab(ASG_C0, QString::fromLatin1(kCobIdTableNames[kCan0ToCan1]));
    PageControl1->addTab(ASG_C1, QString::fromLatin1(kCobIdTableNames[kCan1ToCan0]));

    // Under the grids: the problems, then find and go to.
    problemsLine_ = Named(new QToolButton, "ProblemsLine");
    problemsLine_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    problemsLine_->setAutoRaise(true);
    problemsLine_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    problemsLine_->setToolTip(QStringLiteral("Go to the first problem"));
    findBar_ = Named(new CobIdFindBar, "FindBar");

    LbButton1 = Named(new QPushButton(QStringLiteral("OK")), "LbButton1");
    LbButton2 = Named(new QPushButton(QStringLiteral("Cancel")), "LbButton2");
    LbButton3 = Named(new QPushButton(QStringLiteral("Compile All CobID")), "LbButton3");
    LbButton4 = Named(new QPushButton(QStringLiteral("Cancel All CobID")), "LbButton4");
    checkRouting_ = Named(new QPushButton(QString::fromLatin1(kCheckRoutingCaption)), "CheckRouting");
    addRows_ = Named(new QPushButton(QString::fromLatin1(kAddRowsButtonCaption)), "AddRows");
    // Enter belongs to the grids; no button is pressed by it from there.
    for (QPushButton* button : {LbButton1, LbButton2, LbButton3, LbButton4, checkRouting_, addRows_})
        button->setAutoDefault(false);

    auto* tools = new QHBoxLayout;
    tools->addWidget(problemsLine_, 1);
    tools->addWidget(findBar_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LbButton1);
    buttons->addWidget(LbButton2);
    buttons->addStretch();
    buttons->addWidget(checkRouting_);
    buttons->addWidget(addRows_);
    buttons->addWidget(LbButton3);
    buttons->addWidget(LbButton4);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(tools);
    layout->addLayout(buttons);
    resize(800, 560);

    AddWindowActions();
    AddCsvMenu(logic_, {ASG_C0, ASG_C1}, [this](CobIdEdit edit) { submitEdit(std::move(edit)); });
    // Last in each grid's context menu, after the spreadsheet files.
    for (CobIdGrid* view : {ASG_C0, ASG_C1}) {
        auto* action = Named(new QAction(QString::fromLatin1(kAddRowsButtonCaption), view), "AddRowsAction");
        connect(action, &QAction::triggered, this, &CobIdAccessWindow::AddRows);
        view->addAction(action);
    }

    MessageService& messages = logic_.Services().messages;
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) { logic_.shownTab = index; });
    connect(LbButton1, &QPushButton::clicked, this, [this, &messages] { RunGuarded(messages, [this] { Ok(); }); });
    connect(LbButton2, &QPushButton::clicked, this, &QDialog::reject);
    connect(LbButton3, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { CompileAll(); }); });
    connect(LbButton4, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { ClearAll(); }); });
    connect(problemsLine_, &QToolButton::clicked, this, [this] {
        if (const auto cell = logic_.FirstMarkedCell()) {
            ShowCell(*cell);
            grid(cell->direction)->setFocus();
        }
    });
    connect(findBar_, &CobIdFindBar::findRequested, this, &CobIdAccessWindow::FindNext);
    connect(findBar_, &CobIdFindBar::goToRequested, this, &CobIdAccessWindow::GoToNumber);
    connect(addRows_, &QPushButton::clicked, this, &CobIdAccessWindow::AddRows);
    connect(checkRouting_, &QPushButton::clicked, this,
            [this, &messages] { RunGuarded(messages, [this] { CheckRouting(); }); });
}

void CobIdAccessWindow::AddWindowActions()
{
    auto action = [this](const QString& text, const char* name, const QList<QKeySequence>& keys) {
        auto* made = Named(new QAction(text, this), name);
        made->setShortcuts(keys);
        addAction(made);
        return made;
    };
    QAction* undo = action(QStringLiteral("Undo"), "EditUndo", QKeySequence::keyBindings(QKeySequence::Undo));
    QAction* redo = action(QStringLiteral("Redo"), "EditRedo",
                           {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    QAction* find = action(QStringLiteral("Find..."), "EditFind", QKeySequence::keyBindings(QKeySequence::Find));
    QAction* next = action(QStringLiteral("Find Next"), "EditFindNext", {QKeySequence(Qt::Key_F3)});
    QAction* previous =
        action(QStringLiteral("Find Previous"), "EditFindPrevious", {QKeySequence(Qt::SHIFT | Qt::Key_F3)});
    QAction* goTo = action(QString::fromUtf8("Go to N\u00B0..."), "EditGoTo", {QKeySequence(Qt::CTRL | Qt::Key_G)});

    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(undoStack_, &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    connect(undoStack_, &QUndoStack::undoTextChanged, undo, [undo](const QString& text) {
        undo->setText(text.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + text);
    });
    connect(undoStack_, &QUndoStack::redoTextChanged, redo, [redo](const QString& text) {
        redo->setText(text.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + text);
    });
    // What is typed in an open cell counts, as it does for OK: it becomes a
    // step of its own, undone first.
    connect(undo, &QAction::triggered, this, [this] {
        CommitEdits();
        undoStack_->undo();
    });
    connect(redo, &QAction::triggered, this, [this] {
        CommitEdits();
        undoStack_->redo();
    });
    connect(find, &QAction::triggered, findBar_, &CobIdFindBar::focusFind);
    connect(next, &QAction::triggered, this, [this] { FindNext(true); });
    connect(previous, &QAction::triggered, this, [this] { FindNext(false); });
    connect(goTo, &QAction::triggered, findBar_, &CobIdFindBar::focusNumber);

    // Each grid's context menu: Undo and Redo, its own editing actions, then
    // find and go to.
    for (CobIdGrid* view : {ASG_C0, ASG_C1}) {
        QAction* first = view->editActions().front();
        view->insertActions(first, {undo, redo, Separator(view)});
        view->addActions({Separator(view), find, next, previous, goTo, Separator(view)});
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

CobIdGrid* CobIdAccessWindow::grid(int direction) const
{
    return direction == kCan1ToCan0 ? ASG_C1 : ASG_C0;
}

void CobIdAccessWindow::applyTablesChange(const QString& name, const CobIdTables& newTables)
{
    CommitEdits();
    submitEdit(logic_.TablesChange(FromQString(name), newTables));
}

void CobIdAccessWindow::submitEdit(CobIdEdit edit)
{
    if (!edit.Empty())
        undoStack_->push(new CobIdEditCommand(*this, std::move(edit)));
}

void CobIdAccessWindow::reject()
{
    CommitEdits();
    if (logic_.Cancel())
        QDialog::reject();
}

void CobIdAccessWindow::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        if (QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
        for (CobIdGrid* view : {ASG_C0, ASG_C1})
            view->cancelEdit();
        // Every showing starts from the document: nothing to undo.
        undoStack_->clear();
        findBar_->setStatus({});
        RunGuarded(logic_.Services().messages, [this] { logic_.Show(); });
        Refresh();
        for (CobIdGrid* view : {ASG_C0, ASG_C1}) {
            view->scrollToTop();
            view->selectCell(0, kOriginalColumn);
        }
        grid(logic_.shownTab)->setFocus();
        if (logic_.carryOver.Any()) {
            // Once the window is up: the message, then the first moved row.
            QTimer::singleShot(0, this, [this] {
                logic_.TellCarryOver();
                for (int direction : {kCan0ToCan1, kCan1ToCan0}) {
                    const std::vector<std::size_t> moved = logic_.carryOver.MovedTo(direction);
                    if (!moved.empty()) {
                        ShowCell({direction, moved.front(), kOriginalColumn});
                        break;
                    }
                }
            });
        }
    }
    QDialog::showEvent(event);
}

void CobIdAccessWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        if (findBar_->hasFieldFocus())
            grid(logic_.shownTab)->setFocus();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CobIdAccessWindow::CommitEdits()
{
    for (CobIdGrid* view : {ASG_C0, ASG_C1})
        view->commitEdit();
}

void CobIdAccessWindow::Ok()
{
    CommitEdits();
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
    submitEdit(logic_.CompileAll());
}

void CobIdAccessWindow::ClearAll()
{
    grid(logic_.shownTab)->commitEdit();
    submitEdit(logic_.ClearAll());
}

void CobIdAccessWindow::CarryOut(const CobIdEdit& edit, bool showWhere)
{
    logic_.Apply(edit);
    for (CobIdTableModel* model : models_)
        model->announceEdit(edit);
    UpdateProblemsLine();
    if (showWhere)
        ShowWhere(edit);
}

void CobIdAccessWindow::TakeBack(const CobIdEdit& edit)
{
    logic_.Revert(edit);
    for (CobIdTableModel* model : models_)
        model->announceEdit(edit);
    UpdateProblemsLine();
    ShowWhere(edit);
}

void CobIdAccessWindow::ShowWhere(const CobIdEdit& edit)
{
    if (edit.Empty())
        return;
    // The cells of the edit's first table, as one selected rectangle.
    const int direction = edit.cells.front().cell.direction;
    std::size_t top = edit.cells.front().cell.row, bottom = top;
    int left = edit.cells.front().cell.column, right = left;
    for (const CobIdCellChange& change : edit.cells) {
        if (change.cell.direction != direction)
            continue;
        top = std::min(top, change.cell.row);
        bottom = std::max(bottom, change.cell.row);
        left = std::min(left, change.cell.column);
        right = std::max(right, change.cell.column);
    }
    PageControl1->setCurrentIndex(direction);
    CobIdGrid* view = grid(direction);
    QAbstractItemModel* model = view->model();
    const QModelIndex topLeft = model->index(static_cast<int>(top), left);
    view->selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    view->selectionModel()->select(QItemSelection(topLeft, model->index(static_cast<int>(bottom), right)),
                                   QItemSelectionModel::ClearAndSelect);
    view->scrollTo(topLeft);
}

void CobIdAccessWindow::ShowCell(const CobIdCellRef& cell)
{
    PageControl1->setCurrentIndex(cell.direction);
    grid(cell.direction)->selectCell(static_cast<int>(cell.row), cell.column);
}

void CobIdAccessWindow::UpdateProblemsLine()
{
    const CobIdLiveCheck& problems = logic_.Problems();
    problemsLine_->setText(ToQString(problems.Summary()));
    QStyle* style = QApplication::style();
    if (problems.ProblemCount() > 0)
        problemsLine_->setIcon(style->standardIcon(QStyle::SP_MessageBoxCritical));
    else if (problems.WarningCount() > 0)
        problemsLine_->setIcon(style->standardIcon(QStyle::SP_MessageBoxWarning));
    else
        problemsLine_->setIcon(QIcon());
    problemsLine_->setEnabled(logic_.FirstMarkedCell().has_value());
}

void CobIdAccessWindow::FindNext(bool forward)
{
    const QString text = findBar_->findText();
    if (text.trimmed().isEmpty()) {
        findBar_->focusFind();
        return;
    }
    CommitEdits();
    const QModelIndex current = grid(logic_.shownTab)->currentIndex();
    std::optional<CobIdCellRef> from;
    if (current.isValid())
        from = CobIdCellRef{logic_.shownTab, static_cast<std::size_t>(current.row()), current.column()};
    const CobIdFound found = logic_.Find(FromQString(text), from, forward);
    if (!found.cell) {
        findBar_->setStatus(QStringLiteral("Not found"));
        return;
    }
    ShowCell(*found.cell);
    findBar_->setStatus(QStringLiteral("%1 of %2").arg(found.index).arg(found.count));
}

void CobIdAccessWindow::GoToNumber()
{
    const std::optional<std::size_t> row = logic_.RowOfNumber(FromQString(findBar_->numberText()));
    if (!row) {
        findBar_->setStatus(QString::fromUtf8("N\u00B0 0 to %1 only").arg(logic_.ShownTable().size() - 1));
        return;
    }
    findBar_->setStatus({});
    CobIdGrid* view = grid(logic_.shownTab);
    view->selectCell(static_cast<int>(*row), kOriginalColumn);
    view->setFocus();
}

void CobIdAccessWindow::AddRows()
{
    CommitEdits();
    auto addition = AddRowsWindow::Ask(logic_.tables, logic_.formats, logic_.Services(), logic_.addRowsFolder, this);
    if (!addition || addition->rows.empty())
        return;
    // The one change to the tables, both at once, as one step to undo; not
    // yet saved (OK saves them).
    applyTablesChange(QString::fromLatin1(kAddRowsButtonCaption).remove(QStringLiteral("...")), addition->tables);
    const PlacedRow& first = addition->rows.front();
    PageControl1->setCurrentIndex(first.direction);
    grid(first.direction)->selectCell(static_cast<int>(first.row), kOriginalColumn);
}

// The routing of the tables as they are now, cell edits included; nothing
// in them changes.
void CobIdAccessWindow::CheckRouting()
{
    CommitEdits();
    RoutingWindow window(logic_.tables, logic_.formats, logic_.shownTab, this,
                         {&logic_.TrafficPage(), &logic_.Services().files});
    window.exec();
    // A conflict chosen: its rows, those of its first table selected.
    const auto& rows = window.chosenRows();
    if (!rows || rows->empty())
        return;
    const int direction = rows->front().direction;
    PageControl1->setCurrentIndex(direction);
    CobIdGrid* shown = grid(direction);
    shown->selectCell(static_cast<int>(rows->front().row), kOriginalColumn);
    for (const GridRow& row : *rows)
        if (row.direction == direction)
            shown->selectionModel()->select(shown->model()->index(static_cast<int>(row.row), kOriginalColumn),
                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CobIdAccessWindow::Refresh()
{
    for (CobIdTableModel* model : models_)
        model->Refresh();
    LbButton3->setVisible(logic_.compileAllVisible);
    QSignalBlocker block(PageControl1);
    PageControl1->setCurrentIndex(logic_.shownTab);
    UpdateProblemsLine();
}

void CobIdAccessWindow::ShowBadCell()
{
    PageControl1->setCurrentIndex(logic_.badCell->direction);
    CobIdGrid* view = grid(logic_.badCell->direction);
    view->setFocus();
    view->selectCell(static_cast<int>(logic_.badCell->row), logic_.badCell->column);
}

} // namespace c2c
