#include "platform/qt/QtServices.h"

#include "platform/Error.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSpacerItem>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

namespace c2c {

QString ToQString(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string FromQString(const QString& text)
{
    return text.toStdString();
}

namespace {

QWidget* ParentWindow()
{
    return QApplication::activeWindow();
}

// Shows a box no narrower than its title needs. QMessageBox fits itself to
// its text and leaves only a little room for the title, so a window
// manager that puts an icon and three buttons beside it cut "Firmware
// Drevanta" to "Fir... nta"; a spacer across the box's grid holds it open.
int Exec(QMessageBox& box)
{
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle(), box.font()), 0, QSizePolicy::Minimum,
                                      QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    return box.exec();
}

QMessageBox::StandardButton Ask(const QString& title, const std::string& text)
{
    QMessageBox box(QMessageBox::Question, title, ToQString(text), QMessageBox::Yes | QMessageBox::No,
                    ParentWindow());
    box.setDefaultButton(QMessageBox::No);
    return static_cast<QMessageBox::StandardButton>(Exec(box));
}

} // namespace

int TitleBarWidth(const QString& title, const QFont& font)
{
    // Title bars often set their text in bold; the window's icon and its
    // minimise, maximise and close buttons stand beside it.
    QFont bold(font);
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return metrics.horizontalAdvance(title) + 8 * metrics.height();
}

void QtMessageService::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, kApplicationTitle, ToQString(text), QMessageBox::Ok, ParentWindow());
    Exec(box);
}

void QtMessageService::showError(const std::string& text)
{
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, ToQString(text), QMessageBox::Ok, ParentWindow());
    Exec(box);
}

bool QtMessageService::confirm(const std::string& text)
{
    return Ask(kApplicationTitle, text) == QMessageBox::Yes;
}

bool QtMessageService::askAlert(const std::string& text)
{
    return Ask(QStringLiteral("Alert"), text) == QMessageBox::Yes;
}

std::optional<std::string> QtFolderPicker::pickFolder(const std::string& title, const std::string& root,
                                                      const std::string& initialSelection)
{
    QDialog dialog(ParentWindow());
    dialog.setObjectName(QStringLiteral("FolderPicker"));
    dialog.setWindowTitle(ToQString(title));
    dialog.resize(420, 420);

    QFileSystemModel model;
    model.setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    model.setReadOnly(true);
    const QString rootPath = QDir::cleanPath(ToQString(root));
    // The model lists the root's parent so that the root itself is a row
    // the user can choose.
    QFileInfo rootInfo(rootPath);
    QModelIndex parentIndex = model.setRootPath(rootInfo.absolutePath());

    auto* tree = new QTreeView(&dialog);
    tree->setObjectName(QStringLiteral("FolderTree"));
    tree->setModel(&model);
    tree->setRootIndex(parentIndex);
    for (int column = 1; column < model.columnCount(); ++column)
        tree->hideColumn(column);
    tree->header()->hide();

    // Show only the root among its siblings.
    QModelIndex rootIndex = model.index(rootPath);
    auto hideSiblings = [&]() {
        for (int row = 0; row < model.rowCount(parentIndex); ++row) {
            QModelIndex sibling = model.index(row, 0, parentIndex);
            tree->setRowHidden(row, parentIndex, sibling != model.index(rootPath));
        }
    };
    QObject::connect(&model, &QFileSystemModel::directoryLoaded, tree, [&](const QString&) { hideSiblings(); });
    hideSiblings();
    tree->expand(rootIndex);

    const QString initial = QDir::cleanPath(ToQString(initialSelection));
    if (!initialSelection.empty() && (initial == rootPath || initial.startsWith(rootPath + QLatin1Char('/')))) {
        QModelIndex selected = model.index(initial);
        tree->setCurrentIndex(selected);
        tree->scrollTo(selected);
    } else {
        tree->setCurrentIndex(QModelIndex());
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto updateOk = [&]() {
        QModelIndex current = tree->currentIndex();
        QString path = current.isValid() ? model.filePath(current) : QString();
        bool inside = path == rootPath || path.startsWith(rootPath + QLatin1Char('/'));
        buttons->button(QDialogButtonBox::Ok)->setEnabled(current.isValid() && inside);
    };
    QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, &dialog, updateOk);
    updateOk();

    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(tree);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted || !tree->currentIndex().isValid())
        return std::nullopt;
    return FromQString(QDir::toNativeSeparators(model.filePath(tree->currentIndex())));
}

std::optional<std::string> QtFilePicker::pickFile(const std::string& title, const std::string& folder,
                                                  const std::string& filterDescription, const std::string& pattern)
{
    QFileDialog dialog(ParentWindow(), ToQString(title), ToQString(folder));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(ToQString(FileFilterShown(filterDescription, pattern)));
    // "*.Sx" must also find "name.sx" on a case-sensitive file system.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // (name filters match without regard to case unless QDir::CaseSensitive is set).
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

std::optional<std::string> QtFilePicker::pickSaveFile(const std::string& title, const std::string& folder,
                                                      const std::string& suggestedName,
                                                      const std::string& filterDescription, const std::string& pattern)
{
    QFileDialog dialog(ParentWindow(), ToQString(title), ToQString(folder));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(ToQString(FileFilterShown(filterDescription, pattern)));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // A name typed without an extension gets the pattern's ("*.csv": csv).
    const QString suffix = ToQString(pattern).section(QLatin1Char('.'), -1);
    if (!suffix.contains(QLatin1Char('*')))
        dialog.setDefaultSuffix(suffix);
    dialog.selectFile(ToQString(suggestedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FromQString(QDir::toNativeSeparators(dialog.selectedFiles().first()));
}

bool QtShellService::startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                   const std::string& workingDirectory)
{
    QStringList list;
    for (const std::string& argument : arguments)
        list << ToQString(argument);
    return QProcess::startDetached(ToQString(program), list, ToQString(workingDirectory));
}

bool QtShellService::openUrl(const std::string& url)
{
    return QDesktopServices::openUrl(QUrl(ToQString(url)));
}

void QtProgressBarSink::setMaximum(int maximum)
{
    maximum_ = maximum;
    if (bar_)
        bar_->setMaximum(maximum);
    repaintNow();
}

void QtProgressBarSink::setPosition(int position)
{
    position_ = position;
    if (!bar_)
        return;
    bar_->setValue(std::min(position, bar_->maximum()));
    // Repaint only when the bar moves by a visible step: a 16 MiB firmware
    // has hundreds of thousands of lines.
    int step = std::max(1, maximum_ / 200);
    if (shown_ < 0 || position == maximum_ || position < shown_ || position - shown_ >= step)
        repaintNow();
}

void QtProgressBarSink::repaintNow()
{
    if (!bar_)
        return;
    shown_ = position_;
    bar_->repaint();
}

void RunGuarded(MessageService& messages, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& error) {
        messages.showError(GeneralErrorText(error.what()));
    } catch (...) {
        messages.showError(GeneralErrorText("Unknown error"));
    }
}

} // namespace c2c
