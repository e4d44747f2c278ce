#include "render/RenderContext.h"

#include "model/SettingsFile.h"

namespace {

std::int32_t Read(const SettingsFile *settings, const char *section, const QString &key,
                  std::int32_t defaultValue) {
    return settings ? settings->readInteger(QLatin1String(section), key, defaultValue)
                    : defaultValue;
}

}  // namespace

RenderContext RenderContext::FromSettings(const SettingsFile *settings) {
    RenderContext context;
    context.Schriftrahmen = Read(settings, "Drucker", QStringLiteral("Schriftrahmen"), 1);
    context.Schnittmarke = Read(settings, "Drucker", QStringLiteral("Schnittmarke"), 1) != 0;
    context.Kommission = Read(settings, "Drucker", QStringLiteral("Kommission"), 1) != 0;
    for (std::size_t i = 0; i < context.Colors.size(); ++i)
        context.Colors[i] = ColorRef(Read(settings, "Colors", QStringLiteral("Color%1").arg(i), 0));
    context.InternalLeadingDivisor =
        Read(settings, "Drucker", QStringLiteral("InternalLeading"), 0);
    return context;
}

int RenderContext::ReadRasterizerMode(const SettingsFile *settings) {
    if (!settings)
        return 0;
    const QString general = QStringLiteral("General");
    int mode = 0;
    if (settings->readString(general, QStringLiteral("Version")) == QLatin1String("NT"))
        mode = 1;
    const QString rasterizer = settings->readString(general, QStringLiteral("Rasterizer"));
    if (rasterizer == QLatin1String("NT"))
        mode = 1;
    else if (rasterizer == QLatin1String("9x"))
        mode = 2;
    return mode;
}
