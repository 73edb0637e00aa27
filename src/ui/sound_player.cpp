#include "ui/sound_player.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>
#include <fstream>
#include <system_error>

namespace tessivar::ui {

namespace {

// A RIFF file of the WAVE form: the only kind QSoundEffect plays, as sndPlaySound did.
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

SoundPlayer::SoundPlayer(PathMapper mapper) : m_mapper(std::move(mapper)) {}

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::playAsync(std::string_view path)
{
    if (!m_mapper)
        return false;
    const std::optional<std::filesystem::path> file = m_mapper(path);
    if (!file || !isWaveFile(*file))
        return false;
    if (!m_effect)
        m_effect = std::make_unique<QSoundEffect>();
    const QUrl source = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(file->string())));
    if (m_effect->source() == source)
        m_effect->stop();
    else
        m_effect->setSource(source); // loads in the background; play() waits for it
    m_effect->play();
    return true;
}

} // namespace tessivar::ui
