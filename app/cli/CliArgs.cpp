#include "app/cli/CliArgs.h"

namespace {

struct CommandForm {
    const char *name;
    QStringList valued;    // options that take a value
    QStringList switches;  // options without one
};

const QList<CommandForm> &commands() {
    static const QList<CommandForm> list = {
        {"render", {"o", "output", "section", "dpi", "settings"}, {"print"}},
        {"print", {"pdf", "printer", "methode", "from", "to", "settings"}, {"ja"}},
        {"trace", {"section", "scale", "flags", "settings"}, {}},
        {"trace-print", {"page", "methode", "from", "to", "settings"}, {}},
        {"check", {"settings"}, {"spelling"}},
        {"import", {"printer", "pdf-dir", "methode", "settings"}, {"check", "spelling", "ja"}},
        {"watch", {"printer", "pdf-dir", "methode", "settings"}, {}},
        {"calibrate", {"printer", "pdf", "width", "settings"}, {}},
    };
    return list;
}

const CommandForm *findCommand(const QString &name) {
    for (const CommandForm &form : commands()) {
        if (name == QLatin1String(form.name))
            return &form;
    }
    return nullptr;
}

CliError usage(const QString &message) {
    return CliError(CliBadUsage,
                    QStringLiteral("vellumo-cli: %1\nHilfe: vellumo-cli --help").arg(message));
}

}  // namespace

CliArgs CliArgs::parse(const QStringList &args) {
    CliArgs parsed;
    if (args.isEmpty())
        throw usage(QStringLiteral("Befehl fehlt"));
    const QString first = args.first();
    if (first == QLatin1String("--help") || first == QLatin1String("-h") ||
        first == QLatin1String("help")) {
        parsed.help = true;
        if (args.size() > 1 && findCommand(args.at(1)))
            parsed.command = args.at(1);
        return parsed;
    }
    const CommandForm *form = findCommand(first);
    if (!form)
        throw usage(QStringLiteral("unbekannter Befehl \"%1\"").arg(first));
    parsed.command = first;

    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            parsed.help = true;
            return parsed;
        }
        if (arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            QString name = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
            QString value;
            bool inlineValue = false;
            if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
                value = name.mid(eq + 1);
                name = name.left(eq);
                inlineValue = true;
            }
            // "-o" is the one short option; every other option is written long.
            const bool shortForm = !arg.startsWith(QLatin1String("--"));
            if (shortForm != (name == QLatin1String("o")))
                throw usage(QStringLiteral("unbekannte Option \"%1\" f\u00fcr \"%2\"")
                                .arg(arg, parsed.command));
            if (name == QLatin1String("o"))
                name = QStringLiteral("output");
            if (parsed.has(name))
                throw usage(QStringLiteral("Option \"--%1\" doppelt angegeben").arg(name));
            if (form->switches.contains(name)) {
                if (inlineValue)
                    throw usage(QStringLiteral("Option \"--%1\" nimmt keinen Wert").arg(name));
                parsed.switches.insert(name);
                continue;
            }
            if (!form->valued.contains(name))
                throw usage(QStringLiteral("unbekannte Option \"%1\" f\u00fcr \"%2\"")
                                .arg(arg, parsed.command));
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw usage(QStringLiteral("Option \"--%1\" braucht einen Wert").arg(name));
                value = args.at(++i);
            }
            parsed.values.insert(name, value);
            continue;
        }
        // import takes any number of order files; the others one file (watch: its folder).
        if (!parsed.file.isEmpty() && parsed.command != QLatin1String("import"))
            throw usage(QStringLiteral("nur eine Schleifendatei m\u00f6glich (\"%1\", \"%2\")")
                            .arg(parsed.file, arg));
        if (parsed.file.isEmpty())
            parsed.file = arg;
        parsed.files.append(arg);
    }
    // The calibration strip is drawn from nothing but the printer.
    if (parsed.file.isEmpty() && parsed.command != QLatin1String("calibrate")) {
        if (parsed.command == QLatin1String("watch"))
            throw usage(QStringLiteral("Auftragsordner fehlt"));
        if (parsed.command == QLatin1String("import"))
            throw usage(QStringLiteral("Auftragsdatei fehlt"));
        throw usage(QStringLiteral("Schleifendatei fehlt"));
    }
    return parsed;
}

int CliArgs::integer(const QString &name, int min, int max, int defaultValue) const {
    if (!values.contains(name))
        return defaultValue;
    const QString text = values.value(name);
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    if (!ok || text.trimmed() != text || text.startsWith(QLatin1Char('+')))
        throw usage(
            QStringLiteral("\"--%1\" erwartet eine ganze Zahl, nicht \"%2\"").arg(name, text));
    if (v < min || v > max)
        throw usage(
            QStringLiteral("\"--%1\" muss zwischen %2 und %3 liegen").arg(name).arg(min).arg(max));
    return v;
}

QString CliHelp(const QString &command) {
    const QString render = QStringLiteral(
        "vellumo-cli render DATEI -o AUS.png|AUS.pdf [--section NAME] [--print] [--dpi N]\n"
        "            [--settings INI]\n"
        "  Zeichnet die Schleifen in wahrer Gr\u00f6\u00dfe, eine Schleife je Seite (PDF) oder\n"
        "  je Bild (PNG; bei mehreren Schleifen AUS-1.png, AUS-2.png, ...). Ohne --print wie\n"
        "  die Vorschau (1 Einheit je mm, Flags 12), mit --print wie der Druck (Ma\u00dfstab 8,\n"
        "  Flags 31: Schnittmarken, Kommission, Druckfarben). --dpi: Aufl\u00f6sung, Vorgabe 150\n"
        "  f\u00fcr PNG und 600 f\u00fcr PDF (1 bis 2400). --section: nur diese Schleife.\n");
    const QString print = QStringLiteral(
        "vellumo-cli print DATEI (--pdf AUS.pdf | --printer NAME) [--methode N]\n"
        "            [--from A --to B] [--ja] [--settings INI]\n"
        "  Druckt wie der Druckbefehl des Fensters: Schleifen ohne Text entfallen, der\n"
        "  Bereich --from/--to z\u00e4hlt die \u00fcbrigen Schleifen ab 1, die erste gedruckte\n"
        "  Schleife legt die Breite fest, andere Breiten werden ausgelassen und gemeldet.\n"
        "  Die Druckmethode nennt \"Methode\" in [Drucker] der Einstellungen, au\u00dfer "
        "--methode\n"
        "  (0 bis 4) ist angegeben. --pdf schreibt eine PDF-Datei, --printer druckt auf die\n"
        "  CUPS-Warteschlange NAME.\n"
        "  Wo das Fenster fragen w\u00fcrde, weil Papier verloren gehen kann (der Text passt\n"
        "  nicht, der Schrift fehlen Buchstaben, die Warteschlange w\u00fcrde die Seiten\n"
        "  abschneiden), wird nichts gedruckt: die Frage steht auf stderr, Exit-Status 1.\n"
        "  --ja beantwortet jede solche Frage mit Ja.\n");
    const QString trace = QStringLiteral(
        "vellumo-cli trace DATEI [--section NAME] [--scale N] [--flags F] [--settings INI]\n"
        "  Schreibt jede Zeichenoperation, die DrawJob f\u00fcr eine Schleife ausf\u00fchrt, als "
        "eine\n"
        "  Zeile in logischen Einheiten: zuerst der Name, dann Schl\u00fcssel=Wert, z. B.\n"
        "    font height=480 escapement=0 face=\"Liberation Sans\"\n"
        "    textout x=240 y=120 align=center,top text=\"Ruhe sanft\"\n"
        "  Vor jeder Schleife steht \"ribbon index=N section=\"...\"\". Vorgabe: Ma\u00dfstab 8\n"
        "  und Flags 31 wie beim Druck (1 DrawPrint, 2 DrawOutline, 4 DrawLeftEnd,\n"
        "  8 DrawRightEnd, 16 DrawPrintColors; die Vorschau nutzt Ma\u00dfstab 1, Flags 12).\n");
    const QString tracePrint = QStringLiteral(
        "vellumo-cli trace-print DATEI --page BxH@DPI [--methode N] [--from A --to B]\n"
        "            [--settings INI]\n"
        "  F\u00fchrt den Druckbefehl auf einem aufzeichnenden Drucker aus, dessen bedruckbare\n"
        "  Fl\u00e4che B x H mm bei DPI Punkten je Zoll ist (z. B. 210x297@600), und schreibt "
        "f\u00fcr\n"
        "  jede Seite \"page N papersize= orientation= length= width=\" (angeforderte\n"
        "  Ger\u00e4teeinstellungen in Zehntelmillimetern, \"-\" wo die Seite die Gr\u00f6\u00dfe "
        "des\n"
        "  Druckers beh\u00e4lt), danach deren Zeichenoperationen wie bei trace; am Ende\n"
        "  \"skipped index=N section=...\" f\u00fcr jede wegen der Breite ausgelassene Schleife\n"
        "  und \"pages total=N\".\n");
    const QString check = QStringLiteral(
        "vellumo-cli check DATEI [--spelling] [--settings INI]\n"
        "  Pr\u00fcft die Schleifen und schreibt je Fund eine Zeile:\n"
        "    ribbon=N section=\"...\" end=links|rechts|mitte|beide|kommission kind=ART "
        "detail=\"...\"\n"
        "  Was nicht passt, gemessen an der Tinte, die der Druck setzen w\u00fcrde:\n"
        "  kind=zu-lang (\u00fcber das Schleifenende), zu-breit (h\u00f6her als die Schleife\n"
        "  breit ist), ueberlappung (linker und rechter Text \u00fcberdecken sich), jeweils\n"
        "  mit detail=\"N mm\"; bild-fehlt mit dem Bildnamen; zeichen-fehlt, wenn die\n"
        "  Schrift Zeichen des Textes nicht hat, mit Schrift und Zeichen, z. B.\n"
        "  detail=\"Oldania ADF Std: \u0416, \u0429\" (end=kommission: die Schrift der "
        "Kommission).\n"
        "  --spelling: jedes unbekannte Wort der gedruckten Texte (kind=spelling), mit\n"
        "  bis zu drei Vorschl\u00e4gen, z. B. detail=\"Tr\u00e4uer: Trauer, Tr\u00e4umer\".\n"
        "  Es gilt das W\u00f6rterbuch, das \"Rechtschreibung\" in [General] w\u00e4hlt\n"
        "  (de_DE, wenn nichts oder \"Aus\" gew\u00e4hlt ist); Woerterbuch.txt und die\n"
        "  Textliste RIBOLANT.TXT des Datenordners gelten als bekannt.\n"
        "  Exit-Status 0 ohne Fund, 3 mit Funden.\n");
    const QString import = QStringLiteral(
        "vellumo-cli import DATEI... (--printer NAME | --pdf-dir ORDNER | --check [--spelling])\n"
        "            [--methode N] [--ja] [--settings INI]\n"
        "  Druckt Auftragsdateien (CSV, JSON oder Schleifendatei; siehe README) einmal, wie\n"
        "  print: je Datei und Schleifenbreite ein Druck, mit --pdf-dir je eine PDF-Datei\n"
        "  DATEI.pdf (DATEI-75mm.pdf bei mehreren Breiten). Die Dateien bleiben, wo sie sind.\n"
        "  --check druckt nicht, sondern schreibt die Funde wie check, mit file=\"...\" vorn;\n"
        "  Exit-Status 3 mit Funden. Eine unlesbare Datei wird gemeldet (Exit-Status 1),\n"
        "  die \u00fcbrigen werden trotzdem bearbeitet. Fragen wie bei print: ohne --ja\n"
        "  wird eine solche Datei nicht gedruckt (Exit-Status 1).\n");
    const QString watch = QStringLiteral(
        "vellumo-cli watch ORDNER (--printer NAME | --pdf-dir ORDNER) [--methode N]\n"
        "            [--settings INI]\n"
        "  Druckdienst: druckt jede vollst\u00e4ndige Auftragsdatei, die in ORDNER ankommt,\n"
        "  und legt sie danach mit einer Ergebnisdatei in Gedruckt/ ab, eine unlesbare mit\n"
        "  dem Grund in Fehler/. Mehrere Dienste und Fenster k\u00f6nnen einen Ordner teilen;\n"
        "  jeder Auftrag wird genau einmal genommen. Schreibt je Auftragsdatei eine Zeile\n"
        "  auf stdout und endet nach dem laufenden Auftrag mit SIGTERM oder SIGINT.\n"
        "  Ein Auftrag, bei dem das Fenster fragen w\u00fcrde, weil Papier verloren gehen\n"
        "  kann, wird nicht gedruckt, sondern mit der Frage als Grund in Fehler/ abgelegt.\n");
    const QString calibrate = QStringLiteral(
        "vellumo-cli calibrate (--printer NAME | --pdf AUS.pdf) [--width MM] [--settings INI]\n"
        "  Druckt den Kalibrierstreifen wie \"Druckereinrichtung\" \u2192 \"Kalibrierstreifen\n"
        "  drucken\": zwei Striche quer, 500 mm auseinander, dazwischen ein Lineal. Der\n"
        "  L\u00e4ngenfaktor der Warteschlange gilt dabei nicht (Faktor 1). --width: Breite in\n"
        "  mm (Vorgabe: die Papierbreite des Druckers); breiter, als die Warteschlange\n"
        "  nimmt, wird abgelehnt. Die gemessene L\u00e4nge von Strich zu Strich geh\u00f6rt\n"
        "  in \"Gemessene L\u00e4nge (mm)\" der Druckereinrichtung.\n");
    if (command == QLatin1String("calibrate"))
        return calibrate;
    if (command == QLatin1String("check"))
        return check;
    if (command == QLatin1String("import"))
        return import;
    if (command == QLatin1String("watch"))
        return watch;
    if (command == QLatin1String("render"))
        return render;
    if (command == QLatin1String("print"))
        return print;
    if (command == QLatin1String("trace"))
        return trace;
    if (command == QLatin1String("trace-print"))
        return tracePrint;
    return QStringLiteral(
               "vellumo-cli: Schleifen ohne Fenster drucken, als PDF oder PNG ausgeben und\n"
               "ihre Zeichenoperationen zeigen.\n\n") +
           render + QLatin1Char('\n') + print + QLatin1Char('\n') + trace + QLatin1Char('\n') +
           tracePrint + QLatin1Char('\n') + check + QLatin1Char('\n') + import + QLatin1Char('\n') +
           watch + QLatin1Char('\n') + calibrate +
           QStringLiteral(
               "\nDATEI ist eine Schleifendatei (UTF-8 oder Windows-1252, ein Abschnitt je "
               "Schleife;\n"
               "siehe README). --settings INI liest diese Einstellungsdatei statt RIBOLANT.INI aus "
               "dem\n"
               "Datenordner; sie wird nie geschrieben.\n\n"
               "Meldungen stehen auf stderr. Exit-Status: 0 Erfolg, 1 fehlerhafte Eingabe (die\n"
               "Meldung nennt Datei und Zeile), 2 falscher Aufruf, 3 check hat etwas gefunden.\n");
}
