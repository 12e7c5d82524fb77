#include "dialogs/qt/CobIdGrid.h"

#include "dialogs/qt/CobIdTableModel.h"
#include "platform/qt/QtServices.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include <optional>

namespace c2c {

namespace {

// The one value of a clipboard text that holds a single cell, if it does.
std::optional<QString> SingleValue(QString text)
{
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    if (text.contains(QLatin1Char('\t')) || text.contains(QLatin1Char('\n')))
        return std::nullopt;
    return text;
}

} // namespace

CobIdGrid::CobIdGrid(CobIdTableModel* model, QWidget* parent)
    : QTableView(parent), model_(model), fixed_(new QTableView(this))
{
    setModel(model_);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectItems);
    setEditTriggers(AnyKeyPressed | DoubleClicked | EditKeyPressed);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    setWordWrap(false);
    verticalHeader()->hide();
    int rowHeight = fontMetrics().height() + 6;
    for (QTableView* view : {static_cast<QTableView*>(this), fixed_}) {
        view->verticalHeader()->setMinimumSectionSize(rowHeight);
        view->verticalHeader()->setDefaultSectionSize(rowHeight);
        view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    }
    setColumnWidth(kNumberColumn, 56);
    setColumnWidth(kOriginalColumn, 120);
    setColumnWidth(kModifyColumn, 120);
    setColumnWidth(kDescriptionColumn, 260);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(kNumberColumn, QHeaderView::Fixed);

    fixed_->setObjectName(QStringLiteral("FixedColumn"));
    fixed_->setModel(model_);
    fixed_->setSelectionModel(selectionModel());
    fixed_->setFocusPolicy(Qt::NoFocus);
    fixed_->setEditTriggers(NoEditTriggers);
    fixed_->verticalHeader()->hide();
    fixed_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fixed_->horizontalHeader()->setSectionsClickable(false);
    fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fixed_->setVerticalScrollMode(ScrollPerPixel);
    fixed_->setWordWrap(false);
    for (int column = kNumberColumn + 1; column < kCobIdColumnCount; ++column)
        fixed_->setColumnHidden(column, true);
    fixed_->setColumnWidth(kNumberColumn, columnWidth(kNumberColumn));
    // The row numbers look like a header.
    QPalette palette = fixed_->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    fixed_->setPalette(palette);
    fixed_->viewport()->installEventFilter(this);
    viewport()->stackUnder(fixed_);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section, int, int size) {
        if (section == kNumberColumn) {
            fixed_->setColumnWidth(kNumberColumn, size);
            updateFixedColumnGeometry();
        }
    });
    connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
            &QAbstractSlider::setValue);
    updateFixedColumnGeometry();

    auto action = [this](const char* text, const char* name, const QList<QKeySequence>& keys, auto slot) {
        auto* made = Named(new QAction(QString::fromLatin1(text), this), name);
        made->setShortcuts(keys);
        made->setShortcutContext(Qt::WidgetShortcut);
        connect(made, &QAction::triggered, this, slot);
        editActions_.append(made);
        addAction(made);
    };
    action("Cut", "EditCut", QKeySequence::keyBindings(QKeySequence::Cut), &CobIdGrid::cutSelection);
    action("Copy", "EditCopy", QKeySequence::keyBindings(QKeySequence::Copy), &CobIdGrid::copySelection);
    action("Paste", "EditPaste", QKeySequence::keyBindings(QKeySequence::Paste), &CobIdGrid::pasteClipboard);
    action("Delete", "EditDelete", {QKeySequence(Qt::Key_Delete)}, &CobIdGrid::clearSelectedCells);
    action("Select All", "EditSelectAll", QKeySequence::keyBindings(QKeySequence::SelectAll), &QTableView::selectAll);
}

void CobIdGrid::commitEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CobIdGrid::cancelEdit()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

void CobIdGrid::selectCell(int row, int column)
{
    QModelIndex index = model_->index(row, column);
    if (!index.isValid())
        return;
    setCurrentIndex(index);
    scrollTo(index, PositionAtCenter);
}

void CobIdGrid::copySelection()
{
    const QModelIndexList indexes = selectedOrCurrent();
    if (!indexes.isEmpty())
        QGuiApplication::clipboard()->setText(model_->copyCells(indexes));
}

void CobIdGrid::cutSelection()
{
    copySelection();
    model_->fillCells(kEditCut, selectedOrCurrent(), QString());
}

void CobIdGrid::pasteClipboard()
{
    QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return;
    QModelIndexList selected = selectionModel()->selectedIndexes();
    std::optional<QString> value = SingleValue(text);
    if (value && selected.size() > 1) {
        // One value into a selection fills every cell of it.
        model_->fillCells(kEditPaste, selected, *value);
        return;
    }
    // A block goes to the top-left corner of the selection.
    QModelIndex anchor = currentIndex();
    if (!selected.isEmpty()) {
        int top = selected.front().row();
        int left = selected.front().column();
        for (const QModelIndex& index : selected) {
            top = std::min(top, index.row());
            left = std::min(left, index.column());
        }
        anchor = model_->index(top, left);
    }
    auto [topLeft, bottomRight] = model_->pasteBlock(anchor, text);
    if (topLeft.isValid()) {
        selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
        selectionModel()->select(QItemSelection(topLeft, bottomRight), QItemSelectionModel::ClearAndSelect);
    }
}

void CobIdGrid::clearSelectedCells()
{
    model_->fillCells(kEditDelete, selectedOrCurrent(), QString());
}

QModelIndexList CobIdGrid::selectedOrCurrent() const
{
    QModelIndexList indexes = selectionModel()->selectedIndexes();
    if (indexes.isEmpty() && currentIndex().isValid())
        indexes.append(currentIndex());
    return indexes;
}

void CobIdGrid::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && state() != EditingState) {
        // Enter moves on like in a spreadsheet, and must not reach the
        // dialog, where it would press a button.
        moveDown();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool CobIdGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fixed_->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // A click on a row number selects that row's cells.
            auto* mouse = static_cast<QMouseEvent*>(event);
            int row = fixed_->rowAt(mouse->position().toPoint().y());
            if (row >= 0) {
                QModelIndex first = model_->index(row, kOriginalColumn);
                selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
                selectionModel()->select(QItemSelection(first, model_->index(row, kCobIdColumnCount - 1)),
                                         QItemSelectionModel::ClearAndSelect);
                setFocus();
            }
            return true;
        }
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void CobIdGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    updateFixedColumnGeometry();
}

QModelIndex CobIdGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    QModelIndex index = QTableView::moveCursor(cursorAction, modifiers);
    // The row numbers are not cells to work in.
    if (index.isValid() && index.column() == kNumberColumn)
        index = model_->index(index.row(), kOriginalColumn);
    return index;
}

void CobIdGrid::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    QTableView::scrollTo(index, hint);
    if (!index.isValid() || index.column() == kNumberColumn)
        return;
    // Keep the cell clear of the fixed column drawn over the left edge.
    int covered = columnWidth(kNumberColumn);
    int left = visualRect(index).left();
    if (left < covered)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + left - covered);
}

void CobIdGrid::updateGeometries()
{
    QTableView::updateGeometries();
    updateFixedColumnGeometry();
}

void CobIdGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // The editor's Enter commits with this hint: go on to the cell below.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        moveDown();
}

void CobIdGrid::updateFixedColumnGeometry()
{
    fixed_->setGeometry(frameWidth(), frameWidth(), columnWidth(kNumberColumn),
                        viewport()->height() + horizontalHeader()->height());
}

void CobIdGrid::moveDown()
{
    QModelIndex next = moveCursor(MoveDown, Qt::NoModifier);
    if (next.isValid())
        setCurrentIndex(next);
}

} // namespace c2c
