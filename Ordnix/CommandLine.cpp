#include "CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <tuple>

#include "NetProtocol.h"

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
    QCommandLineOption left{QStringLiteral("left"), QStringLiteral("Who plays the left cannon."),
                            QStringLiteral("player")};
    QCommandLineOption right{QStringLiteral("right"), QStringLiteral("Who plays the right cannon."),
                             QStringLiteral("player")};
    QCommandLineOption battles{QStringLiteral("battles"), QStringLiteral("match: number of battles."),
                               QStringLiteral("n")};
    QCommandLineOption seed{QStringLiteral("seed"), QStringLiteral("match: random seed."), QStringLiteral("s")};
    QCommandLineOption terrain{QStringLiteral("terrain"),
                               QStringLiteral("match: desert, hill, foothills, mountains."), QStringLiteral("terrain")};
    QCommandLineOption wind{QStringLiteral("wind"), QStringLiteral("match: none, light, gusty."),
                            QStringLiteral("wind")};
    QCommandLineOption port{QStringLiteral("port"), QStringLiteral("host: the port to listen on."),
                            QStringLiteral("n")};
    QCommandLineOption code{QStringLiteral("code"), QStringLiteral("join: the host's join code."),
                            QStringLiteral("code")};

    void addTo(QCommandLineParser& parser) const {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Ordnix, a two-player artillery game."));
        for (const QCommandLineOption* option : {&help, &version, &record, &finalDirectory, &png, &gif, &hashes,
                                                  &left, &right, &battles, &seed, &terrain, &wind, &port, &code})
            parser.addOption(*option);
        parser.addPositionalArgument(QStringLiteral("replay"), QStringLiteral("Replays a recorded session."),
                                     QStringLiteral("[replay FILE]"));
        parser.addPositionalArgument(QStringLiteral("match"), QStringLiteral("Computer against computer, headless."),
                                     QStringLiteral("[match]"));
    }
};

const QString acceptedPlayers = QStringLiteral("person, computer:novice, computer:good, computer:deadly");

// One of `names` (1-based item number), or 0.
int64_t itemNamed(const QString& text, const QStringList& names) {
    return static_cast<int64_t>(names.indexOf(text)) + 1;
}

// The players, and for a match its numbers and field; false with result.error set when one is bad.
bool parsePlayersAndMatch(const QCommandLineParser& parser, const Options& options, CommandLine& result) {
    for (const auto& [slot, option] :
         {std::pair{&result.left, &options.left}, std::pair{&result.right, &options.right}}) {
        if (!parser.isSet(*option))
            continue;
        *slot = CommandLine::playerFromText(parser.value(*option));
        if (!*slot) {
            result.error = QStringLiteral("--%1 takes one of: %2").arg(option->names().constLast(), acceptedPlayers);
            return false;
        }
    }
    const bool matchOnly = parser.isSet(options.battles) || parser.isSet(options.seed) ||
                           parser.isSet(options.terrain) || parser.isSet(options.wind);
    if (result.mode != CommandLine::Mode::match) {
        if (matchOnly)
            result.error = QStringLiteral("--battles, --seed, --terrain and --wind need: match");
        return !matchOnly;
    }
    if (!result.left || !result.right || !result.left->computer || !result.right->computer) {
        result.error = QStringLiteral("match needs --left and --right, each computer:novice, computer:good or "
                                      "computer:deadly");
        return false;
    }
    bool ok = true;
    if (parser.isSet(options.battles)) {
        const qlonglong n = parser.value(options.battles).toLongLong(&ok);
        if (!ok || n < 1 || n > 1000000) {
            result.error = QStringLiteral("--battles takes a whole number from 1 to 1000000");
            return false;
        }
        result.battles = n;
    }
    if (parser.isSet(options.seed)) {
        const int seed = parser.value(options.seed).toInt(&ok);
        if (!ok) {
            result.error = QStringLiteral("--seed takes a whole number from -2147483648 to 2147483647");
            return false;
        }
        result.seed = seed;
    }
    if (parser.isSet(options.terrain)) {
        result.terrain = itemNamed(parser.value(options.terrain),
                                   {QStringLiteral("desert"), QStringLiteral("hill"), QStringLiteral("foothills"),
                                    QStringLiteral("mountains")});
        if (result.terrain == 0) {
            result.error = QStringLiteral("--terrain takes one of: desert, hill, foothills, mountains");
            return false;
        }
    }
    if (parser.isSet(options.wind)) {
        result.wind = itemNamed(parser.value(options.wind),
                                {QStringLiteral("none"), QStringLiteral("light"), QStringLiteral("gusty")});
        if (result.wind == 0) {
            result.error = QStringLiteral("--wind takes one of: none, light, gusty");
            return false;
        }
    }
    return true;
}

// A port number 1..65535; false with result.error set otherwise.
bool parsePort(const QString& text, CommandLine& result) {
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value < 1 || value > 65535) {
        result.error = QStringLiteral("a port is a whole number from 1 to 65535, not '%1'").arg(text);
        return false;
    }
    result.port = static_cast<uint16_t>(value);
    return true;
}

// `ordnix host`: which cannon the guest plays and who plays the other.
void parseHost(const QCommandLineParser& parser, const Options& options, CommandLine& result) {
    result.mode = CommandLine::Mode::host;
    result.port = Net::defaultPort;
    if (parser.isSet(options.port) && !parsePort(parser.value(options.port), result))
        return;
    if (parser.isSet(options.code)) {
        result.error = QStringLiteral("host makes its own join code: --code is for join");
        return;
    }
    const QString left = parser.value(options.left), right = parser.value(options.right);
    const QString guest = QStringLiteral("guest");
    if ((left == guest) == (right == guest) && (left == guest || parser.isSet(options.right))) {
        result.error = QStringLiteral("host needs exactly one cannon for the guest: --left guest or --right guest");
        return;
    }
    result.guestSide = left == guest ? 1 : 2;
    for (const auto& [slot, option, text] : {std::tuple{&result.left, &options.left, left},
                                             std::tuple{&result.right, &options.right, right}}) {
        if (!parser.isSet(*option) || text == guest)
            continue;
        if (text != QLatin1String("person")) {
            result.error = QStringLiteral("--%1 takes person or guest with host").arg(option->names().constLast());
            return;
        }
        *slot = PanelDriver::Player{};
    }
    result.recordFile = parser.value(options.record);
    if (parser.isSet(options.record) && result.recordFile.isEmpty())
        result.error = QStringLiteral("--record needs a file name");
}

// `ordnix join ADDRESS[:PORT] --code CODE`; an IPv6 address with a port is written [ADDRESS]:PORT.
void parseJoin(const QCommandLineParser& parser, const Options& options, const QStringList& positional,
               CommandLine& result) {
    result.mode = CommandLine::Mode::join;
    result.port = Net::defaultPort;
    if (positional.size() != 2 || positional.at(1).isEmpty()) {
        result.error = QStringLiteral("join needs the host's ADDRESS[:PORT]");
        return;
    }
    if (parser.isSet(options.record) || parser.isSet(options.left) || parser.isSet(options.right) ||
        parser.isSet(options.port)) {
        result.error = QStringLiteral("join takes only ADDRESS[:PORT] and --code: the host decides the rest");
        return;
    }
    result.joinCode = parser.value(options.code).trimmed();
    if (result.joinCode.isEmpty()) {
        result.error = QStringLiteral("join needs --code CODE, as the host's window shows it");
        return;
    }
    QString address = positional.at(1);
    QString port;
    if (address.startsWith(QLatin1Char('['))) {
        const qsizetype close = address.indexOf(QLatin1Char(']'));
        if (close < 0 || (close + 1 < address.size() && address.at(close + 1) != QLatin1Char(':'))) {
            result.error = QStringLiteral("join: '%1' is not ADDRESS[:PORT]").arg(address);
            return;
        }
        port = address.mid(close + 2);
        const bool hasPort = close + 1 < address.size();
        address = address.mid(1, close - 1);
        if (hasPort && !parsePort(port, result))
            return;
    } else if (address.count(QLatin1Char(':')) == 1) {
        port = address.section(QLatin1Char(':'), 1);
        address = address.section(QLatin1Char(':'), 0, 0);
        if (!parsePort(port, result))
            return;
    }
    if (address.isEmpty()) {
        result.error = QStringLiteral("join needs the host's ADDRESS[:PORT]");
        return;
    }
    result.joinAddress = address;
}

} // namespace

std::optional<PanelDriver::Player> CommandLine::playerFromText(const QString& text) {
    if (text == QLatin1String("person"))
        return PanelDriver::Player{};
    const QString prefix = QStringLiteral("computer:");
    if (!text.startsWith(prefix))
        return std::nullopt;
    const std::optional<Skill> skill = skillFromName(text.mid(prefix.size()).toStdString());
    if (!skill)
        return std::nullopt;
    return PanelDriver::Player{skill};
}

QString CommandLine::playerText(const PanelDriver::Player& player) {
    if (!player.computer)
        return QStringLiteral("person");
    return QStringLiteral("computer:") + QString::fromStdString(skillName(*player.computer));
}

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
    for (const QCommandLineOption* option : {&options.record, &options.finalDirectory, &options.png, &options.gif,
                                             &options.left, &options.right, &options.battles, &options.seed,
                                             &options.terrain, &options.wind, &options.port, &options.code})
        if (parser.values(*option).size() > 1) {
            result.error = QStringLiteral("--%1 given more than once").arg(option->names().constLast());
            return result;
        }

    const QStringList positional = parser.positionalArguments();
    const bool replayOnly = parser.isSet(options.finalDirectory) || parser.isSet(options.png) ||
                            parser.isSet(options.gif) || parser.isSet(options.hashes);
    if (positional.isEmpty() && (parser.isSet(options.port) || parser.isSet(options.code))) {
        result.error = QStringLiteral("--port is for host, --code for join");
        return result;
    }
    if (positional.isEmpty()) {
        if (replayOnly) {
            result.error = QStringLiteral("--final, --png, --gif and --hashes need: replay FILE");
            return result;
        }
        result.recordFile = parser.value(options.record);
        if (parser.isSet(options.record) && result.recordFile.isEmpty())
            result.error = QStringLiteral("--record needs a file name");
        else
            parsePlayersAndMatch(parser, options, result);
        return result;
    }
    if (positional.first() == QLatin1String("match")) {
        if (parser.isSet(options.port) || parser.isSet(options.code)) {
            result.error = QStringLiteral("--port is for host, --code for join");
            return result;
        }
        if (replayOnly || positional.size() != 1) {
            result.error = QStringLiteral("match takes no FILE and none of --final, --png, --gif, --hashes");
            return result;
        }
        result.mode = Mode::match;
        result.recordFile = parser.value(options.record);
        if (parser.isSet(options.record) && result.recordFile.isEmpty())
            result.error = QStringLiteral("--record needs a file name");
        else
            parsePlayersAndMatch(parser, options, result);
        return result;
    }
    if (positional.first() == QLatin1String("host") || positional.first() == QLatin1String("join")) {
        if (replayOnly || parser.isSet(options.battles) || parser.isSet(options.seed) ||
            parser.isSet(options.terrain) || parser.isSet(options.wind)) {
            result.error = QStringLiteral("%1 takes none of the match or replay options").arg(positional.first());
            return result;
        }
        if (positional.first() == QLatin1String("join")) {
            parseJoin(parser, options, positional, result);
        } else if (positional.size() != 1) {
            result.error = QStringLiteral("host takes no FILE");
        } else {
            parseHost(parser, options, result);
        }
        return result;
    }
    if (parser.isSet(options.port) || parser.isSet(options.code)) {
        result.error = QStringLiteral("--port is for host, --code for join");
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
    if (parser.isSet(options.record) || parser.isSet(options.left) || parser.isSet(options.right)) {
        result.error = QStringLiteral("--record, --left and --right cannot be used with replay");
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
    return QStringLiteral("Usage: ordnix [--record FILE] [--left PLAYER] [--right PLAYER]\n"
                          "       ordnix match --left PLAYER --right PLAYER [--battles N] [--seed S]\n"
                          "                    [--terrain desert|hill|foothills|mountains] [--wind none|light|gusty]\n"
                          "                    [--record FILE]\n"
                          "       ordnix replay FILE [--final DIR] [--png DIR] [--gif OUT.gif] [--hashes]\n"
                          "       ordnix host [--port N] [--left person|guest] [--right person|guest] [--record FILE]\n"
                          "       ordnix join ADDRESS[:PORT] --code CODE\n"
                          "\n"
                          "  --record FILE   play and record the session to FILE\n"
                          "  --left, --right who plays that cannon: person, computer:novice, computer:good or\n"
                          "                  computer:deadly (the default: as last chosen in the Players menu)\n"
                          "  match           computers only, no window: one line per battle, then\n"
                          "                  \"left wins A, right wins B, stopped C\"; a battle stops after 30 shots\n"
                          "  replay FILE     replay FILE in the window at the recorded pace\n"
                          "                  (Space pauses and resumes, + and - double and halve the speed)\n"
                          "  --final DIR     headless: write field.png, the visible boxes' PNGs and menus.txt\n"
                          "                  as they are at the end of the recording\n"
                          "  --png DIR       headless: one PNG per tick on which the screen changed\n"
                          "  --gif OUT.gif   headless: the same frames as one animated GIF\n"
                          "  --hashes        headless: print every checkpoint, then ok or the first mismatch\n"
                          "  host            play with a guest on another machine, who plays the right cannon\n"
                          "                  (or the left one with --left guest); the window shows the address\n"
                          "                  and the join code to give the guest; --port N (default 47017)\n"
                          "  join            play the guest's cannon of a game hosted at ADDRESS[:PORT]\n"
                          "\n"
                          "Exit status: 0 exact replay, 2 unreadable or invalid input, 3 replay diverged.\n");
}
