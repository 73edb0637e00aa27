#include "results/scan_report.h"

#include "engine/scan_context.h"
#include "results/code_page.h"
#include "settings/setting_keys.h"
#include "settings/settings_store.h"

#include <cstdio>

namespace tessivar {

namespace {

// Reports are streamed out in pieces of about this size, so that a scan with hundreds of
// thousands of rows is never held in memory twice.
constexpr std::size_t kFlushBytes = 256 * 1024;

// The first piece replaces the old report in one step; later pieces are appended.
class ReportWriter {
  public:
    ReportWriter(FileSystem& files, std::string path) : m_files(files), m_path(std::move(path)) {}

    void line(std::string_view text)
    {
        m_buffer += Utf8ToWindows1252(text);
        m_buffer += "\r\n";
        if (m_buffer.size() >= kFlushBytes)
            flush();
    }
    void emptyLines(int count)
    {
        for (int i = 0; i < count; ++i)
            line({});
    }
    void carriageReturnLine() { line("\r"); }

    // True when every piece was written.
    bool finish()
    {
        flush();
        return m_started && !m_failed && m_complete;
    }

  private:
    void flush()
    {
        if (m_buffer.empty())
            return;
        if (!m_started) {
            m_started = true;
            // When the report cannot be started, nothing after it is appended: the rest of a
            // report, or an old report with a new tail, would only mislead.
            m_failed = !m_files.writeFile(m_path, m_buffer);
        } else if (!m_failed) {
            // appendLine adds the final line end itself. A piece that cannot be written is
            // skipped; the rest of the report still is.
            if (!m_files.appendLine(m_path, std::string_view(m_buffer).substr(0, m_buffer.size() - 2)))
                m_complete = false;
        }
        m_buffer.clear();
    }

    FileSystem& m_files;
    std::string m_path;
    std::string m_buffer;
    bool m_started = false;
    bool m_failed = false;
    bool m_complete = true;
};

std::string repeated(std::string_view piece, int times)
{
    std::string out;
    out.reserve(piece.size() * static_cast<std::size_t>(times));
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string blanks(int count)
{
    return std::string(static_cast<std::size_t>(count), ' ');
}

std::string twoDigits(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", n);
    return text;
}

} // namespace

std::string ScanReportPath(ScanContext& context)
{
    std::string folder = context.settings.ReadSetting(kTxtLogFile, context.files.programFolder());
    // A folder given with its closing backslash (a drive root) must not get a second one.
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    return folder + std::string(kScanReportFileName);
}

std::string ShortDateText(const LocalDateTime& moment)
{
    return twoDigits(moment.day) + "/" + twoDigits(moment.month) + "/" + std::to_string(moment.year);
}

bool ScanReportWanted(ScanContext& context)
{
    return ReadNumberSetting(context.settings, kChkMakeLogFile, kMakeLogFileDefaultForReport) != 0;
}

void MakeScanReport(ScanContext& context)
{
    context.model.scanReportWritten = false;
    if (!ScanReportWanted(context))
        return;

    const std::string path = ScanReportPath(context);
    ReportWriter out(context.files, path);
    const ScanModel& model = context.model;
    const std::string product(kProductName);
    const std::size_t problems = model.lvwErrors.count();
    const std::size_t shortcuts = model.lvwShortcut.count();

    out.line(repeated("<>", 63));
    out.line(blanks(21) + product + " Report." + blanks(19));
    out.line(repeated("<>", 63));
    out.line(blanks(75) + "Created on : " + ShortDateText(context.clock.now()));
    out.emptyLines(2);
    out.line(product + " started scanning your system registry at " + model.ScanStartTime.get() +
             " and finished scanning at " + model.ScanEndTime.get());
    out.carriageReturnLine();
    out.line("Total numbers of problems detected : " + std::to_string(problems + shortcuts));
    out.carriageReturnLine();
    out.carriageReturnLine();
    out.line(" Sections scanned.");
    out.line(repeated("~", 124));
    // Entries are read by position each time: the section list may be rebuilt while we yield.
    for (std::size_t i = 0; i < context.model.lvwRegistryvaluesScan.size(); ++i) {
        const SectionListEntry& entry = context.model.lvwRegistryvaluesScan[i];
        if (entry.checked)
            out.line(" >>>> " + entry.ListText);
        context.host.yield();
    }
    out.line(repeated("~", 124));
    out.emptyLines(2);
    out.line(repeated("<>", 60));
    if (problems + shortcuts > 0)
        out.line(blanks(27) + "Registry Section Defected In Detail");
    else
        out.line(blanks(27) + "Your system is clean Please run " + product + " to keep your system in good health");
    out.line(repeated("<>", 60));

    const std::string stars117 = repeated("*", 117);
    // Rows are read by position: no reference is held across a yield.
    for (std::size_t i = 1; i <= model.lvwErrors.count(); ++i) {
        const ProblemEntry& entry = model.lvwErrors.at(i);
        out.emptyLines(2);
        out.line(stars117);
        out.line(" Name of Section : " + entry.RegistryScanners);
        out.line(" File Name       : " + entry.KeyValue);
        out.line(" Registry Path   : " + entry.FullKeyPath);
        out.line(stars117);
        out.emptyLines(2);
        context.host.yield();
    }
    const std::string stars90 = repeated("*", 90);
    for (std::size_t i = 1; i <= model.lvwShortcut.count(); ++i) {
        const ShortcutEntry& entry = model.lvwShortcut.at(i);
        out.emptyLines(2);
        out.line(stars90);
        out.line(" Name of Section : " + entry.sectionText);
        out.line(" File Name       : " + entry.path);
        out.line(stars90);
        out.emptyLines(2);
        context.host.yield();
    }
    out.emptyLines(2);
    out.line(repeated("<", 61) + " End of Report " + repeated(">", 46));
    out.line("This report was written by " + product + "; each scan replaces it.");
    out.emptyLines(1);
    context.model.scanReportWritten = out.finish();
}

void ReturnToStartView(ScanContext& context)
{
    ScanModel& model = context.model;
    model.PicResultsVisible = false;
    model.PicScanningVisible = false;
    model.FrameRegistryProblemsDetailsVisible = false;
    model.FrameScanningVisible = false;
    model.FrameScanSettingShelidButtonVisible = true;
    const std::uint32_t attributes = context.files.GetFileAttributesA(ScanReportPath(context));
    model.cmdShowLogEnabled = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace tessivar
