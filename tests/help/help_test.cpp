// What the help says, checked against the program itself: each filter named by the colour of its
// swatch, every access key listed, every message on the messages page one the program shows, every
// option of velmor-filter described, every page compiled and in the contents.

#include "velmor/cli/options.h"
#include "velmor/engine/filters.h"
#include "velmor/shell/controltable.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString helpFile(const QString& name)
{
    QFile f(QStringLiteral(VELMOR_SOURCE_DIR "/help/") + name);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The colour a swatch shows, named as a user would: equal channels are grey, red and green
// together are yellow, else the strongest channel.
QString colourName(engine::ColorValue c)
{
    const int r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
    if (r == g && g == b)
        return QStringLiteral("灰色");
    if (r == g && r > b)
        return QStringLiteral("黄色");
    if (r > g && r > b)
        return QStringLiteral("赤");
    if (g > r && g > b)
        return QStringLiteral("緑");
    return QStringLiteral("青");
}

QString optionCaption(int index)
{
    const std::string name = "optFilt(" + std::to_string(index) + ")";
    for (const auto& control : shell::kDesignedControls)
        if (name == control.name)
            return QString::fromUtf8(control.caption);
    return {};
}

TEST(Help, EachFilterIsNamedByTheColourOfItsSwatch)
{
    static const QRegularExpression row(
        QStringLiteral("<tr class=\"filter\"><td>([^<]+)</td><td class=\"swatch\">#([0-9A-F]{6})</td><td>([^:<]+):"));
    auto match = row.globalMatch(helpFile(QStringLiteral("filters.html")));
    std::size_t i = 0;
    for (; match.hasNext(); ++i) {
        const auto m = match.next();
        ASSERT_LT(i, engine::kFixedFilterColors.size());
        const engine::ColorValue colour = engine::kFixedFilterColors[i];
        const QString caption = optionCaption(int(i));
        EXPECT_EQ(m.captured(1), caption);
        EXPECT_EQ(m.captured(2), QStringLiteral("%1%2%3").arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
                                     .arg(colour >> 8 & 0xFF, 2, 16, QLatin1Char('0'))
                                     .arg(colour >> 16 & 0xFF, 2, 16, QLatin1Char('0')).toUpper())
            << caption.toStdString();
        EXPECT_EQ(m.captured(3), colourName(colour)) << caption.toStdString();
    }
    EXPECT_EQ(i, engine::kFixedFilterColors.size());
}

TEST(Help, EveryAccessKeyOfTheWindowIsListed)
{
    const QString keys = helpFile(QStringLiteral("keys.html"));
    for (const auto& control : shell::kDesignedControls) {
        const QString caption = QString::fromUtf8(control.caption);
        const qsizetype amp = caption.indexOf(QLatin1Char('&'));
        if (amp < 0)
            continue;
        EXPECT_TRUE(keys.contains(QStringLiteral("<td>Alt+%1</td>").arg(caption.at(amp + 1).toUpper())))
            << control.name;
    }
    for (const char* key : {"Esc", "F1", "Tab", "Enter", "Ctrl++", "Ctrl+-", "Ctrl+0", "Ctrl+1"})
        EXPECT_TRUE(keys.contains(QString::fromLatin1(key))) << key;
}

TEST(Help, EveryMessageOnTheMessagesPageIsOneTheProgramShows)
{
    QString sources;
    for (const char* folder : {"velmor", "platform", "qpxctrl"}) {
        QDirIterator it(QStringLiteral(VELMOR_SOURCE_DIR "/") + QLatin1String(folder), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
            QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly))
                sources += QString::fromUtf8(f.readAll());
        }
    }
    static const QRegularExpression message(QStringLiteral("<td class=\"msg\">(.*?)</td>"));
    static const QRegularExpression variable(QStringLiteral("<var>.*?</var>"));
    int messages = 0;
    for (auto m = message.globalMatch(helpFile(QStringLiteral("messages.html"))); m.hasNext(); ++messages) {
        QString text = m.next().captured(1);
        text.replace(QStringLiteral("&gt;"), QStringLiteral(">")).replace(QStringLiteral("&lt;"), QStringLiteral("<"));
        // The fixed parts between the variable ones, each as the program's text holds it.
        for (QString part : text.split(variable)) {
            part = part.trimmed();
            while (part.startsWith(QLatin1Char(':')))
                part = part.mid(1).trimmed();
            if (part.size() >= 2) {
                EXPECT_TRUE(sources.contains(part)) << "not in the program: " << part.toStdString();
            }
        }
    }
    EXPECT_GT(messages, 50);
}

TEST(Help, EveryOptionOfVelmorFilterIsDescribed)
{
    const QString page = helpFile(QStringLiteral("velmor-filter.html"));
    static const QRegularExpression option(QStringLiteral("(?:^|[ \\[(|,])(--?[a-zA-Z][a-z-]*)"));
    for (auto m = option.globalMatch(cli::usageText(false)); m.hasNext();) {
        const QString name = m.next().captured(1);
        EXPECT_TRUE(page.contains(name)) << name.toStdString();
    }
}

TEST(Help, EveryPageIsCompiledAndInTheContents)
{
    const QString project = helpFile(QStringLiteral("Velmor.hhp"));
    const QString contents = helpFile(QStringLiteral("toc.hhc"));
    for (const QString& page : QDir(QStringLiteral(VELMOR_SOURCE_DIR "/help")).entryList({QStringLiteral("*.html")})) {
        EXPECT_TRUE(project.contains(QLatin1Char('\n') + page + QLatin1Char('\n'))) << page.toStdString();
        EXPECT_TRUE(contents.contains(QStringLiteral("value=\"%1\"").arg(page))) << page.toStdString();
    }
}

} // namespace
