#pragma once

// The main window on the screen: renders FRMmAIN and its ScanModel, turns mouse events, clicks,
// timer ticks and the window system's requests into the unit's handlers, and decides nothing.
// Every control carries its name as objectName, so tests and scripts find it by that name.

#include "engine/observed.h"
#include "shell/main_window.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QTimer;
class QTreeView;

namespace tessivar {
struct ScanModel;
} // namespace tessivar

namespace tessivar::ui {

class SectionListModel;
class SkinnedButton;
class SvgPicture;
class TextListModel;

// The model announces each change while work runs between the unit's notifications; the window
// gathers them and renders once, in the next pass of the event loop that the work yields to.
class MainWindowWidget : public QWidget, private ModelObserver {
    Q_OBJECT
  public:
    MainWindowWidget(FRMmAIN& unit, ScanModel& model, QWidget* parent = nullptr);
    ~MainWindowWidget() override;

    // Brings every control up to the unit's and the model's state.
    void render();
    // The desktop session is ending: the program ends without asking.
    void sessionEnding();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void partChanged(ModelPart part) override;
    void rowsChanged(ModelPart list, RowChange change, std::size_t first, std::size_t count) override;
    void renderSoon();

    void buildStartView();
    void buildScanningView();
    void buildResultsView();
    void buildCarriers();
    void buildTimers();
    void makePair(QWidget* parent, MainButton button, const QRect& geometry, const char* pictures);
    QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text);
    QTreeView* makeList(QWidget* parent, const char* name, const QRect& geometry);
    void renderLists();
    void renderTimers();
    void renderWindow();

    FRMmAIN& m_unit;
    ScanModel& m_model;
    bool m_rendering = false;
    bool m_renderPosted = false;
    bool m_viewsDrawn = false;

    SvgPicture* m_picture1 = nullptr;
    SvgPicture* m_picScanning = nullptr;
    SvgPicture* m_picResults = nullptr;
    SkinnedButton* m_pairs[kMainButtonCount] = {};
    QLabel* m_hints[3] = {};
    QCheckBox* m_selectAll = nullptr;
    QTreeView* m_sections = nullptr;
    QTreeView* m_summary = nullptr;
    QTreeView* m_details = nullptr;
    SectionListModel* m_sectionModel = nullptr;
    TextListModel* m_summaryModel = nullptr;
    TextListModel* m_detailModel = nullptr;
    QLabel* m_label2 = nullptr;
    SvgPicture* m_image1 = nullptr;
    SvgPicture* m_progressTrack = nullptr;
    SvgPicture* m_progressFill = nullptr;
    SvgPicture* m_bug = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_registryScan = nullptr;
    QLabel* m_registryFilesScan = nullptr;
    QLabel* m_problemsFound = nullptr;
    QLabel* m_deleting = nullptr;
    SvgPicture* m_deleteProgress = nullptr;
    SvgPicture* m_deleteProgressInside = nullptr;
    QWidget* m_frameScanning = nullptr;
    QWidget* m_frameDetails = nullptr;
    QWidget* m_frameButtons = nullptr;
    QWidget* m_cancelOrStop = nullptr;
    QWidget* m_showLog = nullptr;
    QTimer* m_tmrSettings = nullptr;
    QTimer* m_tmrRefresh = nullptr;
    QTimer* m_tmrBlink = nullptr;
};

} // namespace tessivar::ui
