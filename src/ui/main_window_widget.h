#pragma once

// The main window on the screen: renders FRMmAIN and its ScanModel, turns mouse events, clicks,
// timer ticks and the window system's requests into the unit's handlers, and decides nothing.
// Every control carries its name as objectName, so tests and scripts find it by that name.

#include <QElapsedTimer>
#include <QWidget>

#include "shell/main_window.h"

class QCheckBox;
class QLabel;
class QTimer;
class QTreeView;

namespace tessivar {
struct ScanModel;
class MainWindowHost;
} // namespace tessivar

namespace tessivar::ui {

class PictureWidget;
class SectionListModel;
class TextListModel;

class MainWindowWidget : public QWidget {
    Q_OBJECT
public:
    // `host` is the host the unit's work yields through; the window catches up with the model
    // before each event-loop pass it makes.
    MainWindowWidget(FRMmAIN& unit, ScanModel& model, MainWindowHost& host, QWidget* parent = nullptr);
    ~MainWindowWidget() override;

    // Brings every control up to the unit's and the model's state.
    void render();
    // The desktop session is ending: the program ends without asking.
    void sessionEnding();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Pair {
        PictureWidget* normal = nullptr;
        PictureWidget* lit = nullptr;
    };

    void buildStartView();
    void buildScanningView();
    void buildResultsView();
    void buildCarriers();
    void buildTimers();
    Pair makePair(QWidget* parent, MainButton button, const QRect& geometry, const QString& picture,
                  const QString& caption);
    QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text);
    QTreeView* makeList(QWidget* parent, const char* name, const QRect& geometry);
    void renderLists();
    void renderTimers();
    void renderWindow();
    void catchUpDuringWork();

    FRMmAIN& m_unit;
    ScanModel& m_model;
    MainWindowHost& m_host;
    QElapsedTimer m_sinceRender;
    bool m_rendering = false;

    PictureWidget* m_picture1 = nullptr;
    PictureWidget* m_picScanning = nullptr;
    PictureWidget* m_picResults = nullptr;
    Pair m_pairs[kMainButtonCount];
    QLabel* m_hints[3] = {};
    QCheckBox* m_selectAll = nullptr;
    QTreeView* m_sections = nullptr;
    QTreeView* m_summary = nullptr;
    QTreeView* m_details = nullptr;
    SectionListModel* m_sectionModel = nullptr;
    TextListModel* m_summaryModel = nullptr;
    TextListModel* m_detailModel = nullptr;
    QLabel* m_label2 = nullptr;
    PictureWidget* m_image1 = nullptr;
    PictureWidget* m_progressTrack = nullptr;
    PictureWidget* m_progressFill = nullptr;
    PictureWidget* m_bug = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_registryScan = nullptr;
    QLabel* m_registryFilesScan = nullptr;
    QLabel* m_problemsFound = nullptr;
    QLabel* m_deleting = nullptr;
    PictureWidget* m_deleteProgress = nullptr;
    PictureWidget* m_deleteProgressInside = nullptr;
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
