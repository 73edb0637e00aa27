#include "ui/skin_resources.h"

// Q_INIT_RESOURCE must be used outside any namespace.
static void initSkinResource()
{
    Q_INIT_RESOURCE(skin);
}

namespace tessivar::ui {

void loadSkinResources()
{
    static const bool loaded = [] {
        initSkinResource();
        return true;
    }();
    (void)loaded;
}

QString skinPicture(const QString& name)
{
    return QStringLiteral(":/skin/") + name + QStringLiteral(".svg");
}

QIcon applicationIcon()
{
    loadSkinResources();
    return QIcon(skinPicture(QStringLiteral("tessivar")));
}

} // namespace tessivar::ui
