#include "dialogs/qt/RoutingWindow.h"

#include "dialogs/CobIdAccessLogic.h"
#include "dialogs/RoutingLogic.h"
#include "dialogs/qt/FilterMapWidget.h"
#include "dialogs/qt/TrafficPage.h"
#include "platform/qt/QtServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

namespace c2c {

namespace {

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

RoutingWindow::RoutingWindow(const CobIdTables& tables, const CommSession& formats, int direction, QWidget* parent,
                             RoutingTraffic traffic)
    : QDialog(parent), routing_(std::make_unique<RoutingLogic>(tables, formats, direction))
{
    setObjectName(QStringLiteral("FCheckRouting"));
    setWindowTitle(QString::fromLatin1(kRoutingCaption));
    setModal(true);
    setSizeGripEnabled(true);

    direction_ = Named(new QComboBox, "Direction");
    for (const char* caption : kCobIdTableNames)
        direction_->addItem(QString::fromLatin1(caption));
    identifier_ = Named(new QLineEdit, "Identifier");
    identifier_->setPlaceholderText(QStringLiteral("0x181, $181 or 385"));
    extended_ = Named(new QCheckBox(QStringLiteral("29-bit &frame")), "Extended");
    outcome_ = Named(new QLabel, "Outcome");
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outcome_->setWordWrap(true);
    summary_ = Named(new QLabel, "Summary");
    summary_->setWordWrap(true);

    auto* asked = new QHBoxLayout;
    asked->addWidget(identifier_, 1);
    asked->addWidget(extended_);
    auto* form = new QFormLayout;
    auto* directionLabel = new QLabel(QStringLiteral("&Direction:"));
    directionLabel->setBuddy(direction_);
    auto* identifierLabel = new QLabel(QStringLiteral("&Identifier:"));
    identifierLabel->setBuddy(identifier_);
    form->addRow(directionLabel, direction_);
    form->addRow(identifierLabel, asked);
    form->addRow(QString(), outcome_);

    // The map, its legend and the current cell; or the reason there is none.
    map_ = Named(new FilterMapWidget, "FilterMap");
    auto* mapLabel = new QLabel(QStringLiteral("Filter &map of the 11-bit identifiers (arrow keys move, the tooltip "
                                               "and the line below say what a cell does):"));
    mapLabel->setWordWrap(true);
    mapLabel->setBuddy(map_);
    auto* legend = new QHBoxLayout;
    for (std::size_t k = 0; k < 3; ++k) {
        auto* swatch = new QLabel;
        swatch->setPixmap(FilterMapWidget::Swatch(static_cast<MapKind>(k), 14));
        legend_[k] = Named(new QLabel, k == 0 ? "LegendPassed" : k == 1 ? "LegendTranslated" : "LegendBlocked");
        legend->addWidget(swatch);
        legend->addWidget(legend_[k]);
        legend->addSpacing(16);
    }
    legend->addStretch();
    cell_ = Named(new QLabel, "CellInfo");
    cell_->setWordWrap(true);
    cell_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cell_->setMinimumHeight(2 * fontMetrics().lineSpacing());
    listedCaption_ = new QLabel(QStringLiteral("&Listed 29-bit identifiers:"));
    listed_ = Named(new QListWidget, "Listed29Bit");
    listedCaption_->setBuddy(listed_);

    auto* mapPage = new QWidget;
    auto* mapLayout = new QVBoxLayout(mapPage);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapLayout->addWidget(mapLabel);
    mapLayout->addWidget(map_, 0, Qt::AlignLeft);
    mapLayout->addLayout(legend);
    mapLayout->addWidget(cell_);
    mapLayout->addWidget(listedCaption_);
    mapLayout->addWidget(listed_, 1);
    auto* problem = Named(new QLabel(Text(routing_->Problem())), "Problem");
    problem->setWordWrap(true);
    problem->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    pages_ = Named(new QStackedWidget, "RoutingPages");
    pages_->addWidget(mapPage);
    pages_->addWidget(problem);

    auto* routingPage = new QWidget;
    auto* routingLayout = new QVBoxLayout(routingPage);
    routingLayout->addLayout(form);
    routingLayout->addWidget(summary_);
    routingLayout->addWidget(pages_, 1);
    trafficPage_ = Named(new TrafficPage(*routing_, traffic.inputs ? *traffic.inputs : ownInputs_, traffic.files),
                         "TrafficPage");
    tabs_ = Named(new QTabWidget, "RoutingTabs");
    tabs_->addTab(routingPage, QStringLiteral("&Filter map"));
    tabs_->addTab(trafficPage_, QString::fromLatin1(kTrafficPageCaption).prepend(QLatin1Char('&')));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons);

    map_->setRouting(routing_.get());
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(direction_, &QComboBox::currentIndexChanged, this, &RoutingWindow::ShowDirection);
    connect(identifier_, &QLineEdit::textChanged, this, &RoutingWindow::CheckIdentifier);
    connect(extended_, &QCheckBox::toggled, this, &RoutingWindow::CheckIdentifier);
    connect(map_, &FilterMapWidget::currentChanged, this, &RoutingWindow::ShowCell);
    connect(trafficPage_, &TrafficPage::conflictActivated, this, &RoutingWindow::GoToConflict);

    direction_->setCurrentIndex(direction == kCan1ToCan0 ? 1 : 0);
    ShowDirection(direction_->currentIndex());
    identifier_->setFocus();
    resize(QSize(900, 690).expandedTo(minimumSizeHint()));
    // Computed at the last showing: again, for the tables as they are now.
    if (trafficPage_->logic().inputs.computed) {
        tabs_->setCurrentWidget(trafficPage_);
        trafficPage_->Compute();
    }
}

RoutingWindow::~RoutingWindow()
{
    // Before the routing and the inputs it reads go: a computation still
    // running is stopped and waited for.
    delete trafficPage_;
}

void RoutingWindow::ShowDirection(int direction)
{
    routing_->direction = direction;
    const bool shown = routing_->Problem().empty();
    pages_->setCurrentIndex(shown ? 0 : 1);
    summary_->setVisible(shown);
    summary_->setText(Text(routing_->Summary()));
    for (std::size_t k = 0; k < 3; ++k)
        legend_[k]->setText(QStringLiteral("%1 (%2)")
                                .arg(QString::fromLatin1(kMapKindNames[k]))
                                .arg(routing_->Count(static_cast<MapKind>(k))));
    listed_->clear();
    for (const ListedIdentifier& listed : routing_->ListedExtended())
        listed_->addItem(Text(listed.text));
    listedCaption_->setVisible(routing_->Extended());
    listed_->setVisible(routing_->Extended());
    map_->update();
    ShowCell(map_->currentId());
    CheckIdentifier();
}

void RoutingWindow::GoToConflict(int index)
{
    const std::vector<GridRow>& rows = trafficPage_->RowsOf(index);
    if (rows.empty())
        return;
    chosenRows_ = rows;
    accept();
}

void RoutingWindow::CheckIdentifier()
{
    outcome_->setText(Text(routing_->Check(identifier_->text().toStdString(), extended_->isChecked())));
}

void RoutingWindow::ShowCell(int id)
{
    if (routing_->Problem().empty())
        cell_->setText(Text(routing_->CellText(static_cast<std::uint32_t>(id))).replace(QLatin1Char('\n'), QStringLiteral(", ")));
}

} // namespace c2c
