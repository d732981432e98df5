#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace {

struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")};
    QCommandLineOption version{QStringLiteral("version"), QStringLiteral("Shows the version.")};
    QCommandLineOption record{QStringLiteral("record"), QStringLiteral("Records the session to <file>."),
                              QStringLiteral("file")};
    QCommandLineOption finalDirectory{QStringLiteral("final"),
                                      QStringLiteral("replay: writes the last screens and menus.txt into <dir>."),
                                      QStringLiteral("dir")};
    QCommandLineOption png{QStringLiteral("png"),
                           QStringLiteral("replay: writes one PNG per changed tick into <dir>."),
                           QStringLiteral("dir")};
    QCommandLineOption gif{QStringLiteral("gif"), QStringLiteral("replay: writes the frames as an animated GIF."),
                           QStringLiteral("file")};
    QCommandLineOption hashes{QStringLiteral("hashes"), QStringLiteral("replay: prints every checkpoint.")};

    void addTo(QCommandLineParser& parser) const {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Ordnix, a two-player artillery game."));
        for (const QCommandLineOption* option : {&help, &version, &record, &finalDirectory, &png, &gif, &hashes})
            parser.addOption(*option);
        parser.addPositionalArgument(QStringLiteral("replay"), QStringLiteral("Replays a recorded session."),
                                     QStringLiteral("[replay FILE]"));
    }
};

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments) {
    const Options options;
    QCommandLineParser parser;
    options.addTo(parser);
    CommandLine result;
    if (!parser.parse(arguments)) {
        result.error = parser.errorText();
        return result;
    }
    if (parser.isSet(options.help)) {
        result.mode = Mode::help;
        return result;
    }
    if (parser.isSet(options.version)) {
        result.mode = Mode::version;
        return result;
    }
    // An option given twice would silently lose one of its values.
    for (const QCommandLineOption* option : {&options.record, &options.finalDirectory, &options.png, &options.gif})
        if (parser.values(*option).size() > 1) {
            result.error = QStringLiteral("--%1 given more than once").arg(option->names().constLast());
            return result;
        }

    const QStringList positional = parser.positionalArguments();
    const bool replayOnly = parser.isSet(options.finalDirectory) || parser.isSet(options.png) ||
                            parser.isSet(options.gif) || parser.isSet(options.hashes);
    if (positional.isEmpty()) {
        if (replayOnly) {
            result.error = QStringLiteral("--final, --png, --gif and --hashes need: replay FILE");
            return result;
        }
        result.recordFile = parser.value(options.record);
        if (parser.isSet(options.record) && result.recordFile.isEmpty())
            result.error = QStringLiteral("--record needs a file name");
        return result;
    }
    if (positional.first() != QLatin1String("replay")) {
        result.error = QStringLiteral("unknown command '%1'").arg(positional.first());
        return result;
    }
    if (positional.size() != 2 || positional.at(1).isEmpty()) {
        result.error = QStringLiteral("replay needs exactly one FILE");
        return result;
    }
    if (parser.isSet(options.record)) {
        result.error = QStringLiteral("--record cannot be used with replay");
        return result;
    }
    result.mode = Mode::replay;
    result.replayFile = positional.at(1);
    result.finalDirectory = parser.value(options.finalDirectory);
    result.pngDirectory = parser.value(options.png);
    result.gifFile = parser.value(options.gif);
    result.hashes = parser.isSet(options.hashes);
    for (const auto& [value, option] : {std::pair{&result.finalDirectory, &options.finalDirectory},
                                        std::pair{&result.pngDirectory, &options.png},
                                        std::pair{&result.gifFile, &options.gif}})
        if (parser.isSet(*option) && value->isEmpty())
            result.error = QStringLiteral("--%1 needs a name").arg(option->names().constLast());
    return result;
}

QString CommandLine::helpText() {
    return QStringLiteral("Usage: ordnix [--record FILE]\n"
                          "       ordnix replay FILE [--final DIR] [--png DIR] [--gif OUT.gif] [--hashes]\n"
                          "\n"
                          "  --record FILE   play and record the session to FILE\n"
                          "  replay FILE     replay FILE in the window at the recorded pace\n"
                          "                  (Space pauses and resumes, + and - double and halve the speed)\n"
                          "  --final DIR     headless: write field.png, the visible boxes' PNGs and menus.txt\n"
                          "                  as they are at the end of the recording\n"
                          "  --png DIR       headless: one PNG per tick on which the screen changed\n"
                          "  --gif OUT.gif   headless: the same frames as one animated GIF\n"
                          "  --hashes        headless: print every checkpoint, then ok or the first mismatch\n"
                          "\n"
                          "Exit status: 0 exact replay, 2 unreadable or invalid input, 3 replay diverged.\n");
}
