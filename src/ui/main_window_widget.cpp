#include "ui/main_window_widget.h"

#include "engine/scan_model.h"
#include "engine/section_list.h"
#include "platform/free_memory.h"
#include "ui/list_models.h"
#include "ui/skin_layout.h"
#include "ui/skin_palette.h"
#include "ui/skin_style.h"
#include "ui/skinned_button.h"
#include "ui/svg_picture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <utility>

namespace tessivar::ui {

namespace {

namespace lm = layout::main;
namespace ls = layout::scanning;
namespace lr = layout::results;

const QColor kSummaryText(255, 0, 0);
const QColor kDetailText(192, 0, 0);

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString colourName(std::uint32_t rgb)
{
    return QColor::fromRgb(static_cast<QRgb>(rgb)).name();
}

// The select-all box changes only through the unit: a click asks it, and it says what the box is.
class SelectAllBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {}
};

// Width in pixels of a bar counted in twips against its full length in twips.
int barPixels(double twips, double fullTwips, int fullPixels)
{
    if (fullTwips <= 0)
        return 0;
    return static_cast<int>(RoundHalfEven(std::clamp(twips / fullTwips, 0.0, 1.0) * fullPixels));
}

} // namespace

MainWindowWidget::MainWindowWidget(FRMmAIN& unit, ScanModel& model, QWidget* parent)
    : QWidget(parent), m_unit(unit), m_model(model)
{
    setObjectName(QStringLiteral("FRMmAIN"));
    setWindowTitle(qText(kMainWindowCaption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(lm::kClient);
    QFont font = this->font();
    font.setPixelSize(12);
    setFont(font);

    m_picture1 = new SvgPicture(QStringLiteral("Picture1"), QStringLiteral("main_background"), this);
    m_picture1->setGeometry(rect());
    connect(m_picture1, &SvgPicture::mouseMoved, this, [this] { m_unit.Picture1_MouseMove(); });

    buildStartView();
    buildScanningView();
    buildResultsView();
    buildCarriers();
    buildTimers();

    m_unit.setObserver([this] { render(); });
    m_model.setObserver(this);
    render();
}

MainWindowWidget::~MainWindowWidget()
{
    m_model.setObserver(nullptr);
    m_unit.setObserver({});
}

// A scan announces a change for every key and value it shows; these only note that a render is
// due, so that they cost a test each.
void MainWindowWidget::partChanged(ModelPart)
{
    renderSoon();
}

void MainWindowWidget::rowsChanged(ModelPart, RowChange, std::size_t, std::size_t)
{
    renderSoon();
}

void MainWindowWidget::renderSoon()
{
    if (m_renderPosted)
        return;
    m_renderPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_renderPosted = false;
            render();
        },
        Qt::QueuedConnection);
}

void MainWindowWidget::makePair(QWidget* parent, MainButton button, const QRect& geometry, const char* pictures)
{
    const PairNames names = pairNames(button);
    auto* pair = new SkinnedButton(m_unit.pair(button), qText(names.Normal), qText(names.MouseMove),
                                   QLatin1String(pictures), parent);
    pair->setGeometry(geometry);
    pair->onHover([this, button] { m_unit.Normal_MouseMove(button); });
    pair->onClick([this, button] { m_unit.MouseMove_Click(button); });
    m_pairs[static_cast<std::size_t>(button)] = pair;
}

QLabel* MainWindowWidget::makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colourName(palette::kTextSoft)));
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
    list->setFocusPolicy(Qt::NoFocus);
    list->setStyleSheet(QStringLiteral("QTreeView { background: white; border: none; }"
                                       "QHeaderView::section { background: %1; color: %2; border: none;"
                                       " padding: 2px 6px; }")
                            .arg(colourName(palette::kRaised), colourName(palette::kTextSoft)));
    return list;
}

void MainWindowWidget::buildStartView()
{
    m_selectAll = new SelectAllBox(this);
    m_selectAll->setObjectName(QStringLiteral("chkSelectlistviewItems"));
    m_selectAll->setTristate(true);
    m_selectAll->setGeometry(lm::kSelectAll);
    m_selectAll->setFocusPolicy(Qt::NoFocus);
    connect(m_selectAll, &QCheckBox::clicked, this, [this] { m_unit.chkSelectlistviewItems_UserClick(); });

    m_image1 = new SvgPicture(QStringLiteral("Image1"), QStringLiteral("my_computer"), this);
    m_image1->setGeometry(lm::kImage1);
    m_image1->setCursor(Qt::PointingHandCursor);
    connect(m_image1, &SvgPicture::clicked, this, [this] { m_unit.Image1_Click(); });
    m_label2 = makeLabel(this, "Label2", lm::kLabel2, QStringLiteral("My Computer"));
    m_label2->setCursor(Qt::PointingHandCursor);
    QFont bold = m_label2->font();
    bold.setBold(true);
    m_label2->setFont(bold);
    m_label2->installEventFilter(this);

    m_sections = makeList(this, "lvwRegistryvaluesScan", lm::kSectionList);
    // Every entry in sight without scrolling, the two drives of a usual prefix included.
    m_sections->setIconSize(QSize(16, 16));
    m_sections->setSelectionMode(QAbstractItemView::NoSelection);
    m_sections->header()->setSectionsClickable(false);
    m_sections->setStyleSheet(QStringLiteral("QTreeView { background: %1; color: %2; border: none; }"
                                             "QTreeView::item { height: 19px; }"
                                             "QHeaderView::section { background: %3; color: %4; border: none;"
                                             " padding: 3px 6px; }")
                                  .arg(colourName(palette::kInset), colourName(palette::kTextSoft),
                                       colourName(palette::kPanel), colourName(palette::kTextMuted)));
    m_sectionModel = new SectionListModel(m_model.lvwRegistryvaluesScan, this);
    // The model holds the twelve section pictures, the list's image list.
    m_sectionModel->setObjectName(QStringLiteral("ImgListOfListViewRegistrySections"));
    m_sections->setModel(m_sectionModel);
    connect(m_sections, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        m_unit.lvwRegistryvaluesScan_ItemClick(static_cast<std::size_t>(index.row()));
    });

    makePair(this, MainButton::ScanNow, lm::kScanNow, "scan_now");
    makePair(this, MainButton::Restore, lm::kRestore, "restore");
    makePair(this, MainButton::Settings, lm::kSettings, "settings");
    const std::pair<const char*, QRect> hints[] = {
        {"lblScanText", lm::kScanText}, {"lblBackUpText", lm::kBackUpText}, {"lblSettingsText", lm::kSettingsText}};
    const std::string_view texts[] = {kLblScanText, kLblBackUpText, kLblSettingsText};
    for (int i = 0; i < 3; ++i) {
        m_hints[i] = makeLabel(this, hints[i].first, hints[i].second, qText(texts[i]));
        m_hints[i]->setWordWrap(true);
    }
    makePair(this, MainButton::HelpPic, lm::kHelpPic, "help_icon");
    makePair(this, MainButton::Help, lm::kHelp, "help_caption");
    makePair(this, MainButton::SupportPic, lm::kSupportPic, "support_icon");
    makePair(this, MainButton::Support, lm::kSupport, "support_caption");
}

void MainWindowWidget::buildScanningView()
{
    m_picScanning = new SvgPicture(QStringLiteral("PicScanning"), QStringLiteral("scanning_background"), this);
    m_picScanning->setGeometry(lm::kViews);
    connect(m_picScanning, &SvgPicture::mouseMoved, this, [this] { m_unit.PicScanning_MouseMove(); });

    m_bug = new SvgPicture(QStringLiteral("PicBug"), QStringLiteral("bug"), m_picScanning);
    m_bug->setGeometry(ls::kBug);
    m_status = makeLabel(m_picScanning, "lblStatus", ls::kStatus, QStringLiteral("Inspecting"));
    QFont heading = m_status->font();
    heading.setBold(true);
    heading.setPixelSize(14);
    m_status->setFont(heading);
    m_status->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(colourName(palette::kText)));

    m_progressTrack =
        new SvgPicture(QStringLiteral("PicMainProgress"), QStringLiteral("progress_track"), m_picScanning);
    m_progressTrack->setGeometry(ls::kMainProgress);
    m_progressFill = new SvgPicture(QStringLiteral("PicProgress"), QStringLiteral("progress_fill"), m_progressTrack);
    m_progressFill->setGeometry(QRect(QPoint(0, 0), ls::kMainProgress.size()));
    m_progressFill->setVisibleWidth(0);

    m_registryScan = makeLabel(m_picScanning, "lblRegistryScan", ls::kRegistryScan, QStringLiteral("None"));
    m_registryFilesScan =
        makeLabel(m_picScanning, "lblRegistryFilesScan", ls::kRegistryFilesScan, QStringLiteral("None"));
    for (QLabel* label : {m_registryScan, m_registryFilesScan})
        label->setTextFormat(Qt::PlainText);
    makeLabel(m_picScanning, "Label3", ls::kLabel3, QStringLiteral("Problem(s) Detected :"));
    m_problemsFound = makeLabel(m_picScanning, "lblProblemsFound", ls::kProblemsFound, QStringLiteral("0"));
    QFont count = m_problemsFound->font();
    count.setBold(true);
    m_problemsFound->setFont(count);
    makePair(m_picScanning, MainButton::ScanCancel, ls::kCancel, "cancel_scan");
    m_picScanning->hide();
}

void MainWindowWidget::buildResultsView()
{
    m_picResults = new SvgPicture(QStringLiteral("PicResults"), QStringLiteral("results_background"), this);
    m_picResults->setGeometry(lm::kViews);
    connect(m_picResults, &SvgPicture::mouseMoved, this, [this] { m_unit.PicResults_MouseMove(); });

    m_summary = makeList(m_picResults, "lvwRegistryProblems", lr::kSummary);
    m_summaryModel = new TextListModel(m_model.lvwRegistryProblems, QStringLiteral("Summary"), kSummaryText, this);
    m_summary->setModel(m_summaryModel);
    m_details = makeList(m_picResults, "lvwRegistryErrorsDetail", lr::kDetails);
    m_detailModel = new TextListModel(m_model.lvwRegistryErrorsDetail, QStringLiteral("Details"), kDetailText, this);
    m_details->setModel(m_detailModel);
    // One column as wide as the list: a long path is cut in its middle, so that the file's name
    // stays in sight (the whole text is the row's tool tip).
    for (QTreeView* list : {m_summary, m_details}) {
        list->header()->setSectionsClickable(true);
        list->header()->setStretchLastSection(true);
        list->setTextElideMode(Qt::ElideMiddle);
    }
    connect(m_summary, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        m_unit.lvwRegistryProblems_ItemClick(static_cast<std::size_t>(index.row()));
    });
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

    m_deleting = makeLabel(m_picResults, "lblDeletingCourrutpfils", lr::kDeleting, qText(kLblDeletingCourrutpfils));
    m_deleteProgress =
        new SvgPicture(QStringLiteral("ImgDeleteProgress"), QStringLiteral("delete_progress_track"), m_picResults);
    m_deleteProgress->setGeometry(lr::kDeleteProgress);
    m_deleteProgressInside = new SvgPicture(QStringLiteral("ImgDeleteProgressInside"),
                                            QStringLiteral("delete_progress_fill"), m_deleteProgress);
    m_deleteProgressInside->setGeometry(QRect(QPoint(0, 0), lr::kDeleteProgress.size()));
    m_deleteProgressInside->setVisibleWidth(0);

    makePair(m_picResults, MainButton::Repair, lr::kRepair, "repair");
    makePair(m_picResults, MainButton::Return, lr::kReturn, "return");
    m_picResults->hide();
}

void MainWindowWidget::buildCarriers()
{
    // State carriers outside the visible area: found by name, never seen.
    const auto carrier = [this](QWidget* widget, const char* name, int top) {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(width() + 10, top, 60, 20);
        return widget;
    };
    m_frameScanning = carrier(new QWidget(this), "FrameScanning", 0);
    m_frameDetails = carrier(new QWidget(this), "FrameRegistryProblemsDetails", 30);
    m_frameButtons = carrier(new QWidget(this), "FrameScanSettingShelidButton", 60);
    m_cancelOrStop = carrier(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancelOrStop", 90);
    m_showLog = carrier(new QPushButton(QStringLiteral("Show Log"), this), "cmdShowLog", 120);
    carrier(new QWidget(this), "lvwErrors", 150);
    carrier(new QWidget(this), "lvwShortcut", 180);
}

void MainWindowWidget::buildTimers()
{
    const auto timer = [this](const char* name, int interval) {
        auto* t = new QTimer(this);
        t->setObjectName(QLatin1String(name));
        t->setInterval(interval);
        return t;
    };
    m_tmrSettings = timer("tmrSettings", kTmrSettingsInterval);
    m_tmrRefresh = timer("tmrRefreshlvwContents", kTmrRefreshlvwContentsInterval);
    m_tmrBlink = timer("tmrPicVisibleOrNot", kTmrPicVisibleOrNotInterval);
    connect(m_tmrSettings, &QTimer::timeout, this, [this] { m_unit.tmrSettings_Timer(); });
    connect(m_tmrRefresh, &QTimer::timeout, this, [this] { m_unit.tmrRefreshlvwContents_Timer(); });
    connect(m_tmrBlink, &QTimer::timeout, this, [this] { m_unit.tmrPicVisibleOrNot_Timer(); });
}

void MainWindowWidget::render()
{
    if (m_rendering)
        return;
    m_rendering = true;

    setWindowTitle(m_unit.Caption.empty() ? qText(kMainWindowCaption) : qText(m_unit.Caption));
    m_label2->setToolTip(qText(m_unit.Label2ToolTipText));

    m_unit.syncPairsWithModel();
    for (SkinnedButton* pair : m_pairs)
        pair->refresh();
    const HintLabel hints[] = {HintLabel::lblScanText, HintLabel::lblBackUpText, HintLabel::lblSettingsText};
    for (int i = 0; i < 3; ++i) {
        const QString style =
            QStringLiteral("color: %1; background: transparent;").arg(colourName(m_unit.hintColour(hints[i])));
        if (m_hints[i]->styleSheet() != style)
            m_hints[i]->setStyleSheet(style);
    }

    // Both views lie at one place; the one brought forward last is in front.
    m_picScanning->setVisible(m_model.PicScanningVisible);
    m_picResults->setVisible(m_model.PicResultsVisible);
    if (m_model.frontPanel == FrontPanel::results)
        m_picResults->raise();
    else if (m_model.frontPanel == FrontPanel::scanning)
        m_picScanning->raise();

    m_status->setText(qText(m_model.lblStatus));
    // Key and value paths are often longer than the line: cut in the middle, whole in the tip.
    for (const auto& [label, text] : {std::pair{m_registryScan, &m_model.lblRegistryScan.get()},
                                      std::pair{m_registryFilesScan, &m_model.lblRegistryFilesScan.get()}}) {
        const QString whole = qText(*text);
        label->setText(label->fontMetrics().elidedText(whole, Qt::ElideMiddle, label->width()));
        label->setToolTip(whole);
    }
    m_problemsFound->setText(qText(m_model.lblProblemsFound));
    m_progressFill->setVisibleWidth(
        barPixels(m_model.PicProgressWidth, kPicMainProgressWidth, ls::kMainProgress.width()));
    m_bug->setVisible(m_model.PicBugVisible);
    m_deleting->setVisible(m_model.lblDeletingCourrutpfilsVisible);
    m_deleteProgress->setVisible(m_model.ImgDeleteProgressVisible);
    m_deleteProgressInside->setVisibleWidth(
        barPixels(m_model.ImgDeleteProgressInsideWidth, m_model.ImgDeleteProgressWidth, lr::kDeleteProgress.width()));
    m_frameScanning->setVisible(m_model.FrameScanningVisible);
    m_frameDetails->setVisible(m_model.FrameRegistryProblemsDetailsVisible);
    m_frameButtons->setVisible(m_model.FrameScanSettingShelidButtonVisible);
    m_cancelOrStop->setEnabled(m_model.cmdCancelOrStopEnabled);
    m_showLog->setEnabled(m_model.cmdShowLogEnabled);

    m_selectAll->setCheckState(qtCheckState(m_model.chkSelectlistviewItems));
    setEnabled(m_model.mainWindowEnabled);
    const Qt::CursorShape pointer = m_model.mousePointer == PointerLook::hourglass ? Qt::WaitCursor : Qt::ArrowCursor;
    if (cursor().shape() != pointer)
        setCursor(pointer);

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
            view->header()->setSortIndicator(
                list->sortKey, list->sortOrder == SortOrder::ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }
    const int selected = m_model.lvwRegistryProblems.selectedRow;
    if (selected >= 0 && selected < m_summaryModel->rowCount() && m_summary->currentIndex().row() != selected)
        m_summary->setCurrentIndex(m_summaryModel->index(selected));
}

void MainWindowWidget::renderTimers()
{
    // A window's timers run once it is loaded: tmrSettings is enabled by design until Form_Load
    // stops it, and would otherwise open the settings dialog while the splash is up.
    const bool loaded = m_unit.Loaded;
    const std::pair<QTimer*, bool> timers[] = {{m_tmrSettings, loaded && m_unit.tmrSettings.Enabled},
                                               {m_tmrRefresh, loaded && m_model.tmrRefreshlvwContentsEnabled},
                                               {m_tmrBlink, loaded && m_model.tmrPicVisibleOrNotEnabled}};
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
        if (isVisible()) {
            hide();
            // Hidden, the window may wait in the tray for hours: its native window and the
            // pixels behind it go (showing makes them anew), its pictures' drawings were just let
            // go, and the heap hands their pages back.
            destroy();
            returnFreeMemory();
        }
        return;
    }
    const bool minimised = m_unit.windowState == WindowState::minimised;
    if (!isVisible() || minimised != isMinimized()) {
        if (minimised)
            showMinimized();
        else
            showNormal();
    }
}

void MainWindowWidget::sessionEnding()
{
    m_unit.Form_Unload(CloseRequest::sessionEnding);
}

void MainWindowWidget::closeEvent(QCloseEvent* event)
{
    if (m_unit.ending() || !m_unit.Form_Unload(CloseRequest::user))
        event->accept();
    else
        event->ignore();
}

void MainWindowWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (std::exchange(m_viewsDrawn, true))
        return;
    // The views' pictures are drawn once and then kept; drawn now, while the window waits, the
    // first scan's first event-loop pass does not pay for them.
    QTimer::singleShot(0, this, [this] {
        m_picScanning->grab();
        m_picResults->grab();
    });
}

void MainWindowWidget::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !m_rendering && isVisible())
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
