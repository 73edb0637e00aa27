#include "ui/sound_player.h"

#include "ui/sound_output.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <fstream>
#include <system_error>

namespace tessivar::ui {

namespace {

// A RIFF file of the WAVE form: the only kind the module plays, as sndPlaySound did.
bool isWaveFile(const std::filesystem::path& file)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return false;
    std::ifstream in(file, std::ios::binary);
    char head[12] = {};
    if (!in.read(head, sizeof head))
        return false;
    return std::string_view(head, 4) == "RIFF" && std::string_view(head + 8, 4) == "WAVE";
}

} // namespace

SoundPlayer::SoundPlayer(PathMapper mapper) : m_mapper(std::move(mapper)), m_modulePaths(defaultModulePaths()) {}

SoundPlayer::~SoundPlayer() = default;

std::vector<QString> SoundPlayer::defaultModulePaths()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    return {programFolder + QStringLiteral("/tessivar-sound.so"),
            programFolder + QStringLiteral("/../" TESSIVAR_INSTALL_LIBDIR "/tessivar/tessivar-sound.so")};
}

SoundOutput* SoundPlayer::output()
{
    if (m_loadTried)
        return m_output.get();
    m_loadTried = true;
    for (const QString& path : m_modulePaths) {
        if (!QFileInfo::exists(path))
            continue;
        auto module = std::make_unique<QLibrary>(path);
        const auto create = reinterpret_cast<CreateSoundOutput>(module->resolve(kCreateSoundOutput));
        if (!create) {
            qWarning("tessivar: the sound module %s cannot be loaded: %s", qPrintable(path),
                     qPrintable(module->errorString()));
            continue;
        }
        m_output.reset(create());
        m_module = std::move(module);
        break;
    }
    return m_output.get();
}

bool SoundPlayer::playAsync(std::string_view path)
{
    if (!m_mapper)
        return false;
    const std::optional<std::filesystem::path> file = m_mapper(path);
    if (!file || !isWaveFile(*file))
        return false;
    SoundOutput* player = output();
    if (!player)
        return false;
    player->play(file->string());
    return true;
}

} // namespace tessivar::ui
