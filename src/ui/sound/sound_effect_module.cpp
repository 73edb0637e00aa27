// The sound module: one QSoundEffect, kept and reused, so that a scan finding a thousand problems
// starts a thousand sounds without leaving a thousand players behind.

#include "ui/sound_output.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace {

class SoundEffectOutput final : public tessivar::ui::SoundOutput {
  public:
    void play(const std::string& file) override
    {
        const QUrl source = QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(file)));
        if (m_effect.source() == source)
            m_effect.stop();
        else
            m_effect.setSource(source); // loads in the background; play() waits for it
        m_effect.play();
    }

  private:
    QSoundEffect m_effect;
};

} // namespace

extern "C" Q_DECL_EXPORT tessivar::ui::SoundOutput* tessivar_create_sound_output()
{
    return new SoundEffectOutput;
}
