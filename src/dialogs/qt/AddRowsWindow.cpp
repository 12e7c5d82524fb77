#include "dialogs/qt/AddRowsWindow.h"

#include "platform/qt/QtServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace c2c {

namespace {

QComboBox* Choice(const char* name, std::initializer_list<const char*> entries)
{
    auto* box = Named(new QComboBox, name);
    for (const char* entry : entries)
        box->addItem(QString::fromLatin1(entry));
    return box;
}

QLineEdit* Field(const char* name, const char* placeholder)
{
    auto* field = Named(new QLineEdit, name);
    field->setPlaceholderText(QString::fromLatin1(placeholder));
    return field;
}

} // namespace

AddRowsWindow::AddRowsWindow(const CobIdTables& tables, const CommSession& session, UiServices services,
                             std::string folder, QWidget* parent)
    : QDialog(parent), logic_(tables, session, services, std::move(folder))
{
    setObjectName(QStringLiteral("FAddRows"));
    setWindowTitle(QString::fromLatin1(kAddRowsCaption));
    setModal(true);
    setSizeGripEnabled(true);

    kind_ = Named(new QComboBox, "Kind");
    for (const char* caption : kAddRowsKindCaptions)
        kind_->addItem(QString::fromLatin1(caption));
    pages_ = Named(new QStackedWidget, "Pages");

    // A CANopen node.
    auto* node = new QWidget;
    nodeId_ = Field("NodeId", "1 to 127; from the DCF when empty");
    nodePort_ = Choice("NodePort", {PortName(CanPort::Can0), PortName(CanPort::Can1)});
    nodeAs_ = Field("NodeAs", "the same ID");
    // Chosen with Browse, read once then; Reload reads it again.
    nodeFile_ = Field("NodeFile", "none: the predefined connection set");
    nodeFile_->setReadOnly(true);
    auto* browse = Named(new QPushButton(QStringLiteral("&Browse...")), "BrowseFile");
    auto* reload = Named(new QPushButton(QStringLiteral("Re&load")), "ReloadFile");
    auto* clear = Named(new QPushButton(QStringLiteral("Clea&r")), "ClearFile");
    auto* file = new QHBoxLayout;
    file->addWidget(nodeFile_, 1);
    for (QPushButton* button : {browse, reload, clear}) {
        button->setAutoDefault(false);
        file->addWidget(button);
    }
    auto* boxes = Named(new QGroupBox(QStringLiteral("Services")), "Services");
    auto* grid = new QGridLayout(boxes);
    const auto& serviceBoxes = AddRowsServiceBoxes();
    for (std::size_t i = 0; i < serviceBoxes.size(); ++i) {
        auto* box = new QCheckBox(QString::fromLatin1(serviceBoxes[i].caption));
        box->setObjectName(QStringLiteral("Service%1").arg(i));
        box->setChecked(logic_.serviceBoxes[i]);
        // EMCY, SDO, heartbeat on the first line, then the TPDOs, then the RPDOs.
        const int row = i >= 1 && i <= 4 ? 1 : i >= 5 && i <= 8 ? 2 : 0;
        const int column = row == 1   ? static_cast<int>(i) - 1
                           : row == 2 ? static_cast<int>(i) - 5
                           : i == 0   ? 0
                                      : static_cast<int>(i) - 8;
        grid->addWidget(box, row, column);
        services_.push_back(box);
    }
    auto* nodeForm = new QFormLayout(node);
    nodeForm->addRow(QStringLiteral("&Node ID"), nodeId_);
    nodeForm->addRow(QStringLiteral("&On port"), nodePort_);
    nodeForm->addRow(QStringLiteral("&Appears on the other port as node"), nodeAs_);
    auto* fileLabel = new QLabel(QStringLiteral("&EDS or DCF file"));
    fileLabel->setBuddy(nodeFile_);
    nodeForm->addRow(fileLabel, file);
    nodeForm->addRow(boxes);

    // A range of identifiers.
    auto* range = new QWidget;
    range_ = Field("RangeText", "FIRST-LAST, such as 0x100-0x17F");
    rangeTable_ = Choice("RangeTable", {kCobIdTableNames[0], kCobIdTableNames[1]});
    rangeTo_ = Field("RangeTo", "unchanged");
    auto* rangeForm = new QFormLayout(range);
    rangeForm->addRow(QStringLiteral("&Range"), range_);
    rangeForm->addRow(QStringLiteral("&Table"), rangeTable_);
    rangeForm->addRow(QStringLiteral("New identifier of its &first"), rangeTo_);

    // One identifier.
    auto* identifier = new QWidget;
    identifier_ = Field("IdText", "such as 0x185");
    identifierTable_ = Choice("IdTable", {kCobIdTableNames[0], kCobIdTableNames[1]});
    identifierTo_ = Field("IdTo", "unchanged");
    auto* identifierForm = new QFormLayout(identifier);
    identifierForm->addRow(QStringLiteral("&Identifier"), identifier_);
    identifierForm->addRow(QStringLiteral("&Table"), identifierTable_);
    identifierForm->addRow(QStringLiteral("&New identifier"), identifierTo_);

    // The network services.
    auto* network = new QWidget;
    // "N&MT (0x000)": the label with its shortcut letter.
    auto serviceBox = [](NetworkService service, int shortcut, const char* name) {
        QString label = ToQString(NetworkServiceLabel(service));
        label.insert(shortcut, QLatin1Char('&'));
        return Named(new QCheckBox(label), name);
    };
    nmt_ = serviceBox(NetworkService::Nmt, 1, "Nmt");
    sync_ = serviceBox(NetworkService::Sync, 0, "Sync");
    time_ = serviceBox(NetworkService::Time, 1, "Time");
    nmt_->setChecked(logic_.nmt);
    sync_->setChecked(logic_.sync);
    time_->setChecked(logic_.time);
    networkPort_ = Choice("NetworkPort", {PortName(CanPort::Can0), PortName(CanPort::Can1)});
    auto* networkForm = new QFormLayout(network);
    networkForm->addRow(nmt_);
    networkForm->addRow(sync_);
    networkForm->addRow(time_);
    networkForm->addRow(QStringLiteral("&From the port of the NMT master and producers"), networkPort_);

    for (QWidget* page : {node, range, identifier, network})
        pages_->addWidget(page);

    preview_ = Named(new QPlainTextEdit, "Preview");
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);
    preview_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    preview_->setTabChangesFocus(true);
    add_ = Named(new QPushButton(QStringLiteral("Add")), "AddButton");
    add_->setDefault(true);
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel")), "CancelButton");
    cancel->setAutoDefault(false);

    auto* kindRow = new QFormLayout;
    kindRow->addRow(QStringLiteral("&Kind"), kind_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add_);
    buttons->addWidget(cancel);
    auto* previewLabel = new QLabel(QStringLiteral("&Preview (the rows, their N\u00B0, and what to know)"));
    previewLabel->setBuddy(preview_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(kindRow);
    layout->addWidget(pages_);
    layout->addWidget(previewLabel);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(kind_, &QComboBox::currentIndexChanged, this, [this](int index) {
        pages_->setCurrentIndex(index);
        Refresh();
    });
    for (QLineEdit* field : {nodeId_, nodeAs_, range_, rangeTo_, identifier_, identifierTo_})
        connect(field, &QLineEdit::textChanged, this, &AddRowsWindow::Refresh);
    for (QComboBox* choice : {nodePort_, rangeTable_, identifierTable_, networkPort_})
        connect(choice, &QComboBox::currentIndexChanged, this, &AddRowsWindow::Refresh);
    for (QCheckBox* box : services_)
        connect(box, &QCheckBox::toggled, this, &AddRowsWindow::Refresh);
    for (QCheckBox* box : {nmt_, sync_, time_})
        connect(box, &QCheckBox::toggled, this, &AddRowsWindow::Refresh);
    MessageService& messages = services.messages;
    connect(browse, &QPushButton::clicked, this, [this, &messages] { RunGuarded(messages, [this] { BrowseFile(); }); });
    connect(reload, &QPushButton::clicked, this, [this] {
        logic_.ReloadFile();
        Refresh();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        logic_.ClearFile();
        ShowFile();
    });
    connect(add_, &QPushButton::clicked, this, &AddRowsWindow::Add);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

void AddRowsWindow::Refresh()
{
    logic_.kind = kind_->currentIndex();
    logic_.node = FromQString(nodeId_->text().trimmed());
    logic_.nodePort = PortAt(nodePort_->currentIndex());
    logic_.nodeAs = FromQString(nodeAs_->text().trimmed());
    for (std::size_t i = 0; i < services_.size(); ++i) {
        logic_.serviceBoxes[i] = services_[i]->isChecked();
        services_[i]->setEnabled(logic_.ServicesApply());
    }
    logic_.range = FromQString(range_->text().trimmed());
    logic_.rangeTable = rangeTable_->currentIndex();
    logic_.rangeTo = FromQString(rangeTo_->text().trimmed());
    logic_.identifier = FromQString(identifier_->text().trimmed());
    logic_.identifierTable = identifierTable_->currentIndex();
    logic_.identifierTo = FromQString(identifierTo_->text().trimmed());
    logic_.nmt = nmt_->isChecked();
    logic_.sync = sync_->isChecked();
    logic_.time = time_->isChecked();
    logic_.networkPort = PortAt(networkPort_->currentIndex());

    const AddRowsLogic::Preview preview = logic_.Refresh();
    QString text;
    for (const std::string& line : preview.lines)
        text += ToQString(line) + QLatin1Char('\n');
    preview_->setPlainText(text);
    add_->setEnabled(preview.canAdd);
}

void AddRowsWindow::BrowseFile()
{
    if (logic_.BrowseFile())
        ShowFile();
}

void AddRowsWindow::ShowFile()
{
    nodeFile_->setText(ToQString(logic_.NodeFile()));
    Refresh();
}

void AddRowsWindow::Add()
{
    // The preview shown is the one added: no field changed since.
    addition_ = logic_.Add();
    if (addition_)
        accept();
}

std::optional<CobIdAddition> AddRowsWindow::Ask(const CobIdTables& tables, const CommSession& session,
                                                UiServices services, std::string& folder, QWidget* parent)
{
    AddRowsWindow window(tables, session, services, folder, parent);
    const int result = window.exec();
    folder = window.logic_.Folder();
    if (result != QDialog::Accepted)
        return std::nullopt;
    return window.addition();
}

} // namespace c2c
