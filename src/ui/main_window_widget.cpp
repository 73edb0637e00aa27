#include "ui/main_window_widget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include "engine/scan_model.h"
#include "engine/section_list.h"
#include "shell/main_window_host.h"
#include "ui/list_models.h"
#include "ui/picture_widget.h"

namespace tessivar::ui {

namespace {

// The window is laid out in twips like its design; Qt places it in pixels.
constexpr int px(int twips)
{
    return twips / kTwipsPerPixel;
}

const QColor kBackground(0x1B, 0x26, 0x33);
const QColor kPanel(0x22, 0x30, 0x40);
const QColor kIdle(0x34, 0x48, 0x5E);
const QColor kLit(0x2F, 0x80, 0xED);
const QColor kTrack(0x3A, 0x4B, 0x5E);
const QColor kFill(0x3D, 0xC1, 0x7A);
const QColor kSummaryText(255, 0, 0);
const QColor kDetailText(192, 0, 0);

// The views lie over the middle and right-hand columns, leaving the section list visible.
const QRect kViewGeometry(235, 58, px(6045), px(4155));
// The progress track PicMainProgress and the repair's progress box, inside their views.
const QRect kTrackGeometry(59, 150, px(kPicMainProgressWidth), 20);

struct PairLook {
    const char* picture; // skin picture base name: <base>_idle and <base>_lit
    const char* caption; // drawn where the skin has no picture
};

PairLook pairLook(MainButton button)
{
    switch (button) {
    case MainButton::ScanNow:
        return {"scan_now", "Scan Now"};
    case MainButton::Restore:
        return {"restore", "Backup"};
    case MainButton::Settings:
        return {"settings", "Settings"};
    case MainButton::HelpPic:
        return {"help_icon", "?"};
    case MainButton::Help:
        return {"help_caption", "Help"};
    case MainButton::SupportPic:
        return {"support_icon", "@"};
    case MainButton::Support:
        return {"support_caption", "Support"};
    case MainButton::ScanCancel:
        return {"cancel_scan", "Cancel"};
    case MainButton::Repair:
        return {"repair", "Repair"};
    case MainButton::Return:
        return {"return", "Return"};
    }
    return {"", ""};
}

QString qText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor rgb(std::uint32_t colour)
{
    return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

Qt::CheckState qtCheckState(CheckState state)
{
    switch (state) {
    case CheckState::checked:
        return Qt::Checked;
    case CheckState::grayed:
        return Qt::PartiallyChecked;
    case CheckState::unchecked:
        break;
    }
    return Qt::Unchecked;
}

// The select-all box changes only through the unit: a click asks it, and it says what the box is.
class SelectAllBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};

void setWidth(QWidget* widget, double twips)
{
    const int width = static_cast<int>(RoundHalfEven(twips / kTwipsPerPixel));
    if (widget->width() != width)
        widget->resize(width, widget->height());
}

} // namespace

MainWindowWidget::MainWindowWidget(FRMmAIN& unit, ScanModel& model, MainWindowHost& host, QWidget* parent)
    : QWidget(parent), m_unit(unit), m_model(model), m_host(host)
{
    setObjectName(QStringLiteral("FRMmAIN"));
    setWindowTitle(qText(kMainWindowCaption));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(kMainWindowWidth), px(kMainWindowHeight));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(12);
    setFont(font);

    m_picture1 = new PictureWidget(this, QStringLiteral("Picture1"), QStringLiteral("main_background"), kBackground,
                                   PictureWidget::Shape::fill);
    m_picture1->setGeometry(rect());
    m_picture1->onMouseMove = [this] { m_unit.Picture1_MouseMove(); };

    buildStartView();
    buildScanningView();
    buildResultsView();
    buildCarriers();
    buildTimers();

    m_unit.setObserver([this] { render(); });
    m_host.setBeforeYield([this] { catchUpDuringWork(); });
    m_sinceRender.start();
    render();
}

MainWindowWidget::~MainWindowWidget()
{
    m_unit.setObserver({});
    m_host.setBeforeYield({});
}

MainWindowWidget::Pair MainWindowWidget::makePair(QWidget* parent, MainButton button, const QRect& geometry,
                                                  const QString& picture, const QString& caption)
{
    const PairNames names = pairNames(button);
    Pair pair;
    pair.normal = new PictureWidget(parent, qText(names.Normal), picture + QStringLiteral("_idle"), kIdle);
    pair.lit = new PictureWidget(parent, qText(names.MouseMove), picture + QStringLiteral("_lit"), kLit);
    for (PictureWidget* look : {pair.normal, pair.lit}) {
        look->setGeometry(geometry);
        look->setCaption(caption);
    }
    pair.normal->onMouseMove = [this, button] { m_unit.Normal_MouseMove(button); };
    pair.lit->onMouseMove = [] {};
    pair.lit->onClick = [this, button] { m_unit.MouseMove_Click(button); };
    pair.lit->hide();
    m_pairs[static_cast<std::size_t>(button)] = pair;
    return pair;
}

QLabel* MainWindowWidget::makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setStyleSheet(QStringLiteral("color: #E8EEF4; background: transparent;"));
    return label;
}

QTreeView* MainWindowWidget::makeList(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* list = new QTreeView(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(geometry);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    list->setStyleSheet(QStringLiteral("QTreeView { background: white; border: 1px solid #3A4B5E; }"));
    return list;
}

void MainWindowWidget::buildStartView()
{
    m_image1 = new PictureWidget(this, QStringLiteral("Image1"), QStringLiteral("my_computer"), kLit,
                                 PictureWidget::Shape::rounded);
    m_image1->setGeometry(20, 18, 24, 24);
    m_image1->onClick = [this] { m_unit.Image1_Click(); };
    m_label2 = makeLabel(this, "Label2", QRect(50, 20, 130, 20), QStringLiteral("My Computer"));
    m_label2->setCursor(Qt::PointingHandCursor);
    m_label2->installEventFilter(this);
    m_label2->setToolTip(qText(m_unit.Label2ToolTipText));

    m_selectAll = new SelectAllBox(this);
    m_selectAll->setObjectName(QStringLiteral("chkSelectlistviewItems"));
    m_selectAll->setTristate(true);
    m_selectAll->setGeometry(196, 20, 20, 20);
    m_selectAll->setFocusPolicy(Qt::NoFocus);
    connect(m_selectAll, &QCheckBox::clicked, this, [this] { m_unit.chkSelectlistviewItems_UserClick(); });

    m_sections = makeList(this, "lvwRegistryvaluesScan", QRect(19, 57, 198, 272));
    m_sections->setStyleSheet(QStringLiteral("QTreeView { background: #121927; color: #E0E0E0; border: none; }"
                                             "QHeaderView::section { background: #1C2538; color: #8D9BB5;"
                                             " border: none; padding: 3px; }"));
    m_sections->setIconSize(QSize(18, 18));
    m_sections->setSelectionMode(QAbstractItemView::NoSelection);
    m_sections->header()->setSectionsClickable(false);
    m_sectionModel = new SectionListModel(m_model.lvwRegistryvaluesScan, this);
    m_sections->setModel(m_sectionModel);
    connect(m_sections, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { m_unit.lvwRegistryvaluesScan_ItemClick(static_cast<std::size_t>(index.row())); });

    // Middle column: the three large buttons, each with its hint to the right.
    const MainButton big[] = {MainButton::ScanNow, MainButton::Restore, MainButton::Settings};
    const char* hintNames[] = {"lblScanText", "lblBackUpText", "lblSettingsText"};
    const std::string_view hintTexts[] = {kLblScanText, kLblBackUpText, kLblSettingsText};
    for (int i = 0; i < 3; ++i) {
        const QRect square(251, 72 + i * 88, 72, 72);
        const PairLook look = pairLook(big[i]);
        makePair(this, big[i], square, QLatin1String(look.picture), QLatin1String(look.caption));
        m_hints[i] = makeLabel(this, hintNames[i], QRect(333, 72 + i * 88, 152, 72), qText(hintTexts[i]));
        m_hints[i]->setWordWrap(true);
    }

    // Right-hand column: help and support, each an icon over a caption picture.
    const MainButton side[][2] = {{MainButton::HelpPic, MainButton::Help}, {MainButton::SupportPic, MainButton::Support}};
    for (int i = 0; i < 2; ++i) {
        const int top = 92 + i * 124;
        const PairLook icon = pairLook(side[i][0]);
        const PairLook caption = pairLook(side[i][1]);
        makePair(this, side[i][0], QRect(538, top, 56, 56), QLatin1String(icon.picture), QLatin1String(icon.caption));
        makePair(this, side[i][1], QRect(510, top + 62, 112, 24), QLatin1String(caption.picture),
                 QLatin1String(caption.caption));
    }
}

void MainWindowWidget::buildScanningView()
{
    m_picScanning = new PictureWidget(this, QStringLiteral("PicScanning"), QStringLiteral("scanning_background"),
                                      kPanel, PictureWidget::Shape::fill);
    m_picScanning->setGeometry(kViewGeometry);
    m_picScanning->onMouseMove = [this] { m_unit.PicScanning_MouseMove(); };
    const int inner = kViewGeometry.width() - 40;
    m_status = makeLabel(m_picScanning, "lblStatus", QRect(20, 18, inner, 22), QStringLiteral("Inspecting"));
    QFont bold = m_status->font();
    bold.setBold(true);
    bold.setPixelSize(14);
    m_status->setFont(bold);
    m_registryScan = makeLabel(m_picScanning, "lblRegistryScan", QRect(20, 50, inner, 18), QStringLiteral("None"));
    m_registryFilesScan =
        makeLabel(m_picScanning, "lblRegistryFilesScan", QRect(20, 72, inner, 36), QStringLiteral("None"));
    m_registryFilesScan->setWordWrap(true);
    m_registryFilesScan->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_progressTrack = new PictureWidget(m_picScanning, QStringLiteral("PicMainProgress"), QStringLiteral("progress_track"),
                                        kTrack);
    m_progressTrack->setGeometry(kTrackGeometry);
    m_progressFill = new PictureWidget(m_progressTrack, QStringLiteral("PicProgress"), QStringLiteral("progress_fill"),
                                       kFill);
    m_progressFill->setGeometry(0, 0, 0, kTrackGeometry.height());
    m_progressFill->setUncovered(true);

    m_bug = new PictureWidget(m_picScanning, QStringLiteral("PicBug"), QStringLiteral("bug"),
                              QColor(0xE7, 0x4C, 0x3C), PictureWidget::Shape::disc);
    m_bug->setGeometry(59, 186, 24, 24);
    makeLabel(m_picScanning, "Label3", QRect(92, 188, 150, 20), QStringLiteral("Problem(s) Detected :"));
    m_problemsFound = makeLabel(m_picScanning, "lblProblemsFound", QRect(244, 188, 100, 20), QStringLiteral("0"));
    m_problemsFound->setFont(bold);

    const PairLook cancel = pairLook(MainButton::ScanCancel);
    makePair(m_picScanning, MainButton::ScanCancel, QRect(141, 228, 120, 34), QLatin1String(cancel.picture),
             QLatin1String(cancel.caption));
    m_picScanning->hide();
}

void MainWindowWidget::buildResultsView()
{
    m_picResults = new PictureWidget(this, QStringLiteral("PicResults"), QStringLiteral("results_background"), kPanel,
                                     PictureWidget::Shape::fill);
    m_picResults->setGeometry(kViewGeometry);
    m_picResults->onMouseMove = [this] { m_unit.PicResults_MouseMove(); };
    const int inner = kViewGeometry.width() - 16;

    m_summary = makeList(m_picResults, "lvwRegistryProblems", QRect(8, 8, inner, 96));
    m_summaryModel = new TextListModel(m_model.lvwRegistryProblems, QStringLiteral("Summary"), kSummaryText, this);
    m_details = makeList(m_picResults, "lvwRegistryErrorsDetail", QRect(8, 110, inner, 110));
    m_detailModel = new TextListModel(m_model.lvwRegistryErrorsDetail, QStringLiteral("Details"), kDetailText, this);
    m_summary->setModel(m_summaryModel);
    m_details->setModel(m_detailModel);
    for (QTreeView* list : {m_summary, m_details}) {
        list->header()->setSectionsClickable(true);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        list->header()->setStretchLastSection(false);
    }
    connect(m_summary, &QTreeView::clicked, this,
            [this](const QModelIndex& index) { m_unit.lvwRegistryProblems_ItemClick(static_cast<std::size_t>(index.row())); });
    connect(m_summary->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_unit.lvwRegistryProblems_ColumnClick(column);
        m_summaryModel->rowsReordered();
        render();
    });
    connect(m_details->header(), &QHeaderView::sectionClicked, this, [this](int column) {
        m_unit.lvwRegistryErrorsDetail_ColumnClick(column);
        m_detailModel->rowsReordered();
        render();
    });

    m_deleting = makeLabel(m_picResults, "lblDeletingCourrutpfils", QRect(59, 90, kTrackGeometry.width(), 20),
                           qText(kLblDeletingCourrutpfils));
    m_deleteProgress = new PictureWidget(m_picResults, QStringLiteral("ImgDeleteProgress"),
                                         QStringLiteral("delete_progress_track"), kTrack);
    m_deleteProgress->setGeometry(121, 118, 160, 12);
    m_deleteProgressInside = new PictureWidget(m_deleteProgress, QStringLiteral("ImgDeleteProgressInside"),
                                               QStringLiteral("delete_progress_fill"), kFill);
    m_deleteProgressInside->setGeometry(0, 0, 0, 12);
    m_deleteProgressInside->setUncovered(true);

    const PairLook repair = pairLook(MainButton::Repair);
    const PairLook back = pairLook(MainButton::Return);
    makePair(m_picResults, MainButton::Repair, QRect(86, 232, 104, 34), QLatin1String(repair.picture),
             QLatin1String(repair.caption));
    makePair(m_picResults, MainButton::Return, QRect(213, 232, 104, 34), QLatin1String(back.picture),
             QLatin1String(back.caption));
    m_picResults->hide();
}

void MainWindowWidget::buildCarriers()
{
    // State carriers outside the visible area: found by name, never seen.
    const auto frame = [this](const char* name, int top) {
        auto* widget = new QWidget(this);
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(width() + 10, top, 10, 10);
        return widget;
    };
    m_frameScanning = frame("FrameScanning", 0);
    m_frameDetails = frame("FrameRegistryProblemsDetails", 20);
    m_frameButtons = frame("FrameScanSettingShelidButton", 40);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancelOrStop"));
    cancel->setGeometry(width() + 10, 60, 60, 20);
    m_cancelOrStop = cancel;
    auto* showLog = new QPushButton(QStringLiteral("Show Log"), this);
    showLog->setObjectName(QStringLiteral("cmdShowLog"));
    showLog->setGeometry(width() + 10, 90, 60, 20);
    m_showLog = showLog;
    for (const char* name : {"lvwErrors", "lvwShortcut"}) {
        auto* list = new QWidget(this);
        list->setObjectName(QLatin1String(name));
        list->setGeometry(width() + 10, 120, 10, 10);
    }
}

void MainWindowWidget::buildTimers()
{
    const auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        t->setTimerType(Qt::PreciseTimer);
        return t;
    };
    m_tmrSettings = timer("tmrSettings", kTmrSettingsInterval);
    m_tmrRefresh = timer("tmrRefreshlvwContents", kTmrRefreshlvwContentsInterval);
    m_tmrBlink = timer("tmrPicVisibleOrNot", kTmrPicVisibleOrNotInterval);
    connect(m_tmrSettings, &QTimer::timeout, this, [this] { m_unit.tmrSettings_Timer(); });
    connect(m_tmrRefresh, &QTimer::timeout, this, [this] { m_unit.tmrRefreshlvwContents_Timer(); });
    connect(m_tmrBlink, &QTimer::timeout, this, [this] { m_unit.tmrPicVisibleOrNot_Timer(); });
}

void MainWindowWidget::catchUpDuringWork()
{
    // Long work yields very often; the pictures need catching up only as often as they can be seen.
    if (m_sinceRender.elapsed() < 30)
        return;
    render();
}

void MainWindowWidget::render()
{
    if (m_rendering)
        return;
    m_rendering = true;
    m_sinceRender.restart();

    setWindowTitle(m_unit.Caption.empty() ? qText(kMainWindowCaption) : qText(m_unit.Caption));
    m_label2->setToolTip(qText(m_unit.Label2ToolTipText));

    for (std::size_t i = 0; i < kMainButtonCount; ++i) {
        const SkinnedPair& state = m_unit.pair(static_cast<MainButton>(i));
        Pair& pair = m_pairs[i];
        pair.normal->setVisible(!state.lit);
        pair.lit->setVisible(state.lit);
        pair.normal->setEnabled(state.NormalEnabled);
    }
    m_pairs[static_cast<std::size_t>(MainButton::ScanNow)].normal->setEnabled(m_model.ImgScanNowNormalEnabled);
    m_pairs[static_cast<std::size_t>(MainButton::Repair)].normal->setEnabled(m_model.ImgRepairNormalEnabled);
    m_pairs[static_cast<std::size_t>(MainButton::Return)].normal->setEnabled(m_model.ImgReturnNormalEnabled);
    const HintLabel hints[] = {HintLabel::lblScanText, HintLabel::lblBackUpText, HintLabel::lblSettingsText};
    for (int i = 0; i < 3; ++i) {
        const QString style = QStringLiteral("color: %1; background: transparent;")
                                  .arg(rgb(m_unit.hintColour(hints[i])).name());
        if (m_hints[i]->styleSheet() != style)
            m_hints[i]->setStyleSheet(style);
    }

    // The views: PicResults in front when both are up and it was brought forward last.
    m_picScanning->setVisible(m_model.PicScanningVisible);
    m_picResults->setVisible(m_model.PicResultsVisible);
    if (m_model.frontPanel == FrontPanel::results)
        m_picResults->raise();
    else if (m_model.frontPanel == FrontPanel::scanning)
        m_picScanning->raise();

    m_status->setText(qText(m_model.lblStatus));
    m_registryScan->setText(qText(m_model.lblRegistryScan));
    m_registryFilesScan->setText(qText(m_model.lblRegistryFilesScan));
    m_problemsFound->setText(qText(m_model.lblProblemsFound));
    setWidth(m_progressFill, m_model.PicProgressWidth);
    m_bug->setVisible(m_model.PicBugVisible);
    m_deleting->setVisible(m_model.lblDeletingCourrutpfilsVisible);
    m_deleteProgress->setVisible(m_model.ImgDeleteProgressVisible);
    // The repair's bar is counted in the box's own twips; the box is drawn smaller than it counts.
    const double box = m_model.ImgDeleteProgressWidth > 0 ? m_model.ImgDeleteProgressWidth : 1;
    const int inside = static_cast<int>(RoundHalfEven(m_model.ImgDeleteProgressInsideWidth / box * m_deleteProgress->width()));
    if (m_deleteProgressInside->width() != inside)
        m_deleteProgressInside->resize(inside, m_deleteProgressInside->height());
    m_frameScanning->setVisible(false);
    m_cancelOrStop->setEnabled(m_model.cmdCancelOrStopEnabled);
    m_showLog->setEnabled(m_model.cmdShowLogEnabled);

    m_selectAll->setCheckState(qtCheckState(m_model.chkSelectlistviewItems));
    setEnabled(m_model.mainWindowEnabled);
    setCursor(m_model.mousePointer == MousePointer::hourglass ? Qt::WaitCursor : Qt::ArrowCursor);

    renderLists();
    renderTimers();
    renderWindow();
    m_rendering = false;
}

void MainWindowWidget::renderLists()
{
    m_sections->setVisible(m_unit.lvwRegistryvaluesScanVisible);
    m_sectionModel->sync();
    m_summaryModel->sync();
    m_detailModel->sync();
    m_summary->setVisible(m_model.lvwRegistryProblemsVisible);
    m_details->setVisible(m_model.lvwRegistryErrorsDetailVisible);
    const std::pair<QTreeView*, const TextList*> lists[] = {{m_summary, &m_model.lvwRegistryProblems},
                                                            {m_details, &m_model.lvwRegistryErrorsDetail}};
    for (const auto& [view, list] : lists) {
        view->header()->setSortIndicatorShown(list->sorted);
        if (list->sorted)
            view->header()->setSortIndicator(list->sortKey, list->sortOrder == SortOrder::ascending
                                                                ? Qt::AscendingOrder
                                                                : Qt::DescendingOrder);
    }
    const int selected = m_model.lvwRegistryProblems.selectedRow;
    const QModelIndex current = m_summary->currentIndex();
    if (selected >= 0 && selected < m_summaryModel->rowCount() && current.row() != selected)
        m_summary->setCurrentIndex(m_summaryModel->index(selected));
}

void MainWindowWidget::renderTimers()
{
    const std::pair<QTimer*, bool> timers[] = {{m_tmrSettings, m_unit.tmrSettings.Enabled},
                                               {m_tmrRefresh, m_model.tmrRefreshlvwContentsEnabled},
                                               {m_tmrBlink, m_model.tmrPicVisibleOrNotEnabled}};
    for (const auto& [timer, running] : timers) {
        if (running && !timer->isActive())
            timer->start();
        else if (!running && timer->isActive())
            timer->stop();
    }
}

void MainWindowWidget::renderWindow()
{
    if (!m_unit.Visible) {
        if (isVisible())
            hide();
        return;
    }
    const bool minimised = m_unit.windowState == WindowState::minimised;
    if (!isVisible())
        minimised ? showMinimized() : showNormal();
    else if (minimised != isMinimized())
        minimised ? showMinimized() : showNormal();
}

void MainWindowWidget::sessionEnding()
{
    m_unit.Form_Unload(CloseRequest::sessionEnding);
}

void MainWindowWidget::closeEvent(QCloseEvent* event)
{
    if (m_unit.ending()) {
        event->accept();
        return;
    }
    if (m_unit.Form_Unload(CloseRequest::user))
        event->ignore();
    else
        event->accept();
}

void MainWindowWidget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !m_rendering)
        m_unit.setWindowState(isMinimized() ? WindowState::minimised : WindowState::normal);
}

bool MainWindowWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_label2 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && m_label2->rect().contains(mouse->position().toPoint())) {
            m_unit.Label2_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tessivar::ui
