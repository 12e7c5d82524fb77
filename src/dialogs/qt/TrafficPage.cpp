#include "dialogs/qt/TrafficPage.h"

#include "documents/CommSettings.h"
#include "platform/FileSystem.h"
#include "platform/UiServices.h"
#include "platform/qt/QtServices.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPen>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace c2c {

namespace {

const QColor kLineColours[2] = {QColor(0x1f, 0x5f, 0xbf), QColor(0x2e, 0x8b, 0x3e)};

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

QLineSeries* Steps(const std::vector<ChartPoint>& points, const QString& name, const QPen& pen)
{
    auto* series = new QLineSeries;
    series->setName(name);
    series->setPen(pen);
    QList<QPointF> corners;
    corners.reserve(static_cast<qsizetype>(points.size()));
    for (const ChartPoint& p : points)
        corners.append(QPointF(p.seconds, p.value));
    series->replace(corners);
    return series;
}

} // namespace

TrafficPage::TrafficPage(const RoutingLogic& routing, TrafficInputs& inputs, FilePicker* files, QWidget* parent)
    : QWidget(parent), logic_(routing, inputs), files_(files)
{
    auto* grid = new QGridLayout;
    for (int slot = 0; slot < 2; ++slot) {
        const std::string suffix = std::to_string(slot);
        paths_[slot] = Named(new QLineEdit, ("TracePath" + suffix).c_str());
        paths_[slot]->setPlaceholderText(QStringLiteral("a candump -l trace recorded without the device"));
        auto* browse = Named(new QPushButton(QStringLiteral("Browse...")), ("TraceBrowse" + suffix).c_str());
        lines_[slot] = Named(new QComboBox, ("TraceLine" + suffix).c_str());
        for (const char* caption : kTraceLineCaptions)
            lines_[slot]->addItem(QString::fromLatin1(caption));
        auto* label = new QLabel(QStringLiteral("Trace &%1:").arg(slot + 1));
        label->setBuddy(paths_[slot]);
        grid->addWidget(label, slot, 0);
        grid->addWidget(paths_[slot], slot, 1, 1, 3);
        grid->addWidget(browse, slot, 4);
        grid->addWidget(lines_[slot], slot, 5);
        connect(browse, &QPushButton::clicked, this, [this, slot] { Browse(slot); });
        connect(paths_[slot], &QLineEdit::textEdited, this, &TrafficPage::TakeInputs);
        connect(lines_[slot], &QComboBox::activated, this, &TrafficPage::TakeInputs);
    }
    auto* settings = new QHBoxLayout;
    for (int port = 0; port < 2; ++port) {
        rates_[port] = Named(new QComboBox, port == 0 ? "BitRate0" : "BitRate1");
        rates_[port]->addItem(QStringLiteral("choose"), 0);
        for (const char* rate : kBitRates)
            rates_[port]->addItem(QStringLiteral("%1 kbit/s").arg(QString::fromLatin1(rate)), std::atoi(rate));
        auto* label = new QLabel(QStringLiteral("CAN%1:").arg(port));
        label->setBuddy(rates_[port]);
        settings->addWidget(label);
        settings->addWidget(rates_[port]);
        connect(rates_[port], &QComboBox::activated, this, &TrafficPage::TakeInputs);
    }
    auto spin = [&](const char* name, const char* caption, int minimum, int maximum, const char* suffix) {
        auto* box = Named(new QSpinBox, name);
        box->setRange(minimum, maximum);
        box->setSuffix(QString::fromUtf8(suffix));
        auto* label = new QLabel(QString::fromUtf8(caption));
        label->setBuddy(box);
        settings->addSpacing(12);
        settings->addWidget(label);
        settings->addWidget(box);
        connect(box, &QSpinBox::valueChanged, this, &TrafficPage::TakeInputs);
        return box;
    };
    window_ = spin("WindowMs", "&Window:", 1, 3600000, " ms");
    latency_ = spin("LatencyUs", "&Latency:", 0, 10000000, " \u00B5s");
    queue_ = spin("Queue", "&Queue:", 0, 1000000000, " frames");
    queue_->setSpecialValueText(QStringLiteral("no limit"));
    settings->addStretch();
    grid->addLayout(settings, 2, 0, 1, 6);

    compute_ = Named(new QPushButton(QStringLiteral("&Compute")), "Compute");
    stop_ = Named(new QPushButton(QStringLiteral("&Stop")), "Stop");
    stop_->setEnabled(false);
    progress_ = Named(new QProgressBar, "TrafficProgress");
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    auto* run = new QHBoxLayout;
    run->addWidget(compute_);
    run->addWidget(stop_);
    run->addWidget(progress_, 1);
    problem_ = Named(new QLabel, "TrafficProblem");
    problem_->setWordWrap(true);

    chart_ = Named(new QChartView, "LoadChart");
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(220);
    summary_ = Named(new QPlainTextEdit, "TrafficSummary");
    summary_->setReadOnly(true);
    summary_->setLineWrapMode(QPlainTextEdit::NoWrap);
    summary_->setMaximumHeight(8 * fontMetrics().lineSpacing());
    summary_->setMinimumHeight(4 * fontMetrics().lineSpacing());
    conflictList_ = Named(new QListWidget, "Conflicts");
    conflictList_->setWordWrap(true);
    conflictList_->setMinimumHeight(3 * fontMetrics().lineSpacing());
    conflictList_->setMaximumHeight(7 * fontMetrics().lineSpacing());
    auto* conflictsLabel =
        new QLabel(QStringLiteral("C&onflicts (a double click or Enter goes to the rows in the grid):"));
    conflictsLabel->setBuddy(conflictList_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(run);
    layout->addWidget(problem_);
    layout->addWidget(chart_, 3);
    layout->addWidget(summary_);
    layout->addWidget(conflictsLabel);
    layout->addWidget(conflictList_, 1);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &TrafficPage::ShowProgress);
    connect(compute_, &QPushButton::clicked, this, &TrafficPage::Compute);
    connect(stop_, &QPushButton::clicked, this, &TrafficPage::Stop);
    connect(conflictList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit conflictActivated(conflictList_->row(item)); });
    ShowInputs();
}

TrafficPage::~TrafficPage()
{
    if (worker_) {
        cancel_ = true;
        worker_->wait();
        delete worker_;
    }
}

void TrafficPage::ShowInputs()
{
    const TrafficInputs& in = logic_.inputs;
    for (int i = 0; i < 2; ++i) {
        paths_[i]->setText(Text(in.traces[static_cast<std::size_t>(i)].path));
        lines_[i]->setCurrentIndex(static_cast<int>(in.traces[static_cast<std::size_t>(i)].line));
        const auto rate = in.bitRates[static_cast<std::size_t>(i)];
        rates_[i]->setCurrentIndex(std::max(0, rates_[i]->findData(rate.value_or(0))));
    }
    window_->setValue(in.windowMs);
    latency_->setValue(in.latencyUs);
    queue_->setValue(in.queue);
    TakeInputs();
}

void TrafficPage::TakeInputs()
{
    TrafficInputs& in = logic_.inputs;
    for (int i = 0; i < 2; ++i) {
        auto& trace = in.traces[static_cast<std::size_t>(i)];
        trace.path = paths_[i]->text().trimmed().toStdString();
        trace.line = static_cast<TraceLine>(lines_[i]->currentIndex());
        const int rate = rates_[i]->currentData().toInt();
        in.bitRates[static_cast<std::size_t>(i)] = rate > 0 ? std::optional<int>(rate) : std::nullopt;
    }
    in.windowMs = window_->value();
    in.latencyUs = latency_->value();
    in.queue = queue_->value();
    const std::string problem = logic_.Problem();
    problem_->setText(Text(problem));
    problem_->setVisible(!problem.empty());
    compute_->setEnabled(problem.empty() && !Running());
}

void TrafficPage::Browse(int slot)
{
    if (!files_)
        return;
    const auto path = files_->pickFile("Trace of a line", FolderOf(paths_[slot]->text().toStdString()),
                                       "CAN traces", "*.log *.asc *.trc *.blf");
    if (!path)
        return;
    paths_[slot]->setText(Text(*path));
    if (const auto line = TrafficLogic::SuggestLine(*path))
        lines_[slot]->setCurrentIndex(static_cast<int>(*line));
    TakeInputs();
}

void TrafficPage::Compute()
{
    TakeInputs();
    if (Running() || !logic_.Problem().empty())
        return;
    for (QWidget* input : std::initializer_list<QWidget*>{paths_[0], paths_[1], lines_[0], lines_[1], rates_[0],
                                                           rates_[1], window_, latency_, queue_, compute_})
        input->setEnabled(false);
    stop_->setEnabled(true);
    cancel_ = false;
    permille_ = 0;
    progress_->setValue(0);
    outcome_ = std::make_unique<TrafficOutcome>();
    const TrafficInputs inputs = logic_.inputs;
    worker_ = QThread::create([this, inputs] { *outcome_ = logic_.Compute(inputs, cancel_, permille_); });
    connect(worker_, &QThread::finished, this, &TrafficPage::ShowOutcome);
    worker_->start();
    timer_->start();
}

void TrafficPage::Stop()
{
    cancel_ = true;
}

void TrafficPage::ShowProgress()
{
    progress_->setValue(permille_);
}

void TrafficPage::ShowOutcome()
{
    timer_->stop();
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
    for (QWidget* input : std::initializer_list<QWidget*>{paths_[0], paths_[1], lines_[0], lines_[1], rates_[0],
                                                           rates_[1], window_, latency_, queue_})
        input->setEnabled(true);
    stop_->setEnabled(false);
    TakeInputs();

    const TrafficOutcome& outcome = *outcome_;
    progress_->setValue(outcome.report ? 1000 : 0);
    QStringList lines;
    for (const std::string& line : TrafficLogic::SummaryLines(outcome))
        lines.append(Text(line));
    summary_->setPlainText(lines.join(QLatin1Char('\n')));
    conflictList_->clear();
    conflicts_.clear();
    logic_.inputs.computed = outcome.report.has_value();
    if (outcome.report) {
        conflicts_ = logic_.Conflicts(*outcome.report);
        for (const ConflictItem& item : conflicts_) {
            conflictList_->addItem(Text(item.text));
            conflictList_->item(conflictList_->count() - 1)->setToolTip(Text(item.text));
        }
        ShowChart(*outcome.report);
    }
    emit computed();
}

void TrafficPage::ShowChart(const TrafficReport& report)
{
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Load of each line per %1 ms window").arg(report.windowMs));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(2, 2, 2, 2));
    auto* time = new QValueAxis;
    time->setTitleText(QStringLiteral("seconds from the first frame"));
    auto* load = new QValueAxis;
    load->setTitleText(QStringLiteral("load (%)"));
    auto* backlog = new QValueAxis;
    backlog->setTitleText(QStringLiteral("waiting frames"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(load, Qt::AlignLeft);
    chart->addAxis(backlog, Qt::AlignRight);

    auto add = [&](QAbstractSeries* series, QValueAxis* y) {
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(y);
    };
    double span = report.windowMs / 1000.0, top = 120, waiting = 1;
    for (int line : {0, 1}) {
        const LineFigures& f = report.lines[static_cast<std::size_t>(line)];
        const QString name = QStringLiteral("CAN%1, %2 kbit/s").arg(line).arg(f.bitRateKbps);
        const std::vector<ChartPoint> loads = TrafficLogic::LoadSteps(report, line);
        if (!loads.empty())
            span = std::max(span, loads.back().seconds);
        top = std::max(top, std::ceil(f.loadPeak * 110 / 20) * 20);
        waiting = std::max(waiting, static_cast<double>(f.maxBacklog));
        add(Steps(loads, name, QPen(kLineColours[line], 1.5)), load);
        QPen dotted(kLineColours[line], 1, Qt::DotLine);
        add(Steps(TrafficLogic::BacklogSteps(report, line), name + QStringLiteral(": backlog"), dotted), backlog);
        if (f.bits > 0) {
            auto* peak = new QScatterSeries;
            peak->setColor(kLineColours[line]);
            peak->setMarkerSize(9);
            peak->append(TrafficLogic::PeakSeconds(report, line) + report.windowMs / 2000.0,
                         std::round(f.loadPeak * 1000) / 10);
            peak->setPointLabelsFormat(QStringLiteral("peak @yPoint %"));
            peak->setPointLabelsVisible(true);
            peak->setPointLabelsColor(kLineColours[line]);
            add(peak, load);
            chart->legend()->markers(peak).constFirst()->setVisible(false);
        }
    }
    for (const auto& [mark, colour] : {std::pair{70, QColor(0xe0, 0x8a, 0x00)}, std::pair{100, QColor(0xc0, 0x20, 0x2a)}}) {
        auto* series = new QLineSeries;
        series->setName(QStringLiteral("%1 %").arg(mark));
        series->setPen(QPen(colour, 1.5, Qt::DashLine));
        series->append(0, mark);
        series->append(span, mark);
        add(series, load);
    }
    time->setRange(0, span);
    load->setRange(0, top);
    load->setTickCount(static_cast<int>(top / 20) + 1);
    load->setLabelFormat(QStringLiteral("%d"));
    // Whole frames on the backlog's axis: up to 5 one by one, else by fifths
    // of a multiple of 5.
    const double most = std::ceil(waiting * 1.2);
    const double waitingTop = most <= 5 ? std::max(2.0, most) : std::ceil(most / 5) * 5;
    backlog->setRange(0, waitingTop);
    backlog->setTickCount(waitingTop <= 5 ? static_cast<int>(waitingTop) + 1 : 6);
    backlog->setLabelFormat(QStringLiteral("%d"));

    QChart* old = chart_->chart();
    chart_->setChart(chart);
    delete old;
}

} // namespace c2c
