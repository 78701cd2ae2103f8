// orvantis-cli-docs: writes the manual page and the bash completion of orvantis-cli from the same help table
// that --help prints (cli/Help.inc), so neither can fall behind a new subcommand or option.
//
// Usage: orvantis-cli-docs MANUAL_TEMPLATE OUT_MANUAL COMPLETION_TEMPLATE OUT_COMPLETION VERSION
// The templates' @NAME@ parts are replaced.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Help {
    const char* name;
    const char* synopsis;
    const char* text;
};
constexpr Help kHelp[] = {
#define CLI_HELP(name, synopsis, text) {name, synopsis, text},
#include "cli/Help.inc"
#undef CLI_HELP
};

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::vector<std::string> lines(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

std::string trimBrackets(std::string w) {
    while (!w.empty() && (w.front() == '[' || w.front() == '|')) w.erase(0, 1);
    while (!w.empty() && (w.back() == ']' || w.back() == '|')) w.pop_back();
    return w;
}

size_t indentOf(const std::string& line) {
    return line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' ');
}

// An option line of a help text: "  --name VALUE   what it does"; tag is the part before the gap.
bool splitOptionLine(const std::string& line, std::string& tag, std::string& text) {
    const size_t at = indentOf(line);
    if (at == 0 || at >= line.size() || line[at] != '-') return false;
    const size_t gap = line.find("  ", at);
    tag = line.substr(at, gap == std::string::npos ? std::string::npos : gap - at);
    text = gap == std::string::npos ? "" : line.substr(line.find_first_not_of(' ', gap));
    return true;
}

struct OptionInfo {
    std::string name;
    std::string value; // the placeholder of its value ("N", "raw|final", "PAL.tga"), "" for a flag
};

struct CommandInfo {
    std::string name;
    std::vector<std::string> files; // the placeholders of the file names, in order
    std::vector<OptionInfo> options;
};

// The placeholder as it stands in a list: "[--mode", "raw|final]", "N," give "--mode", "raw|final", "N".
std::string bare(std::string w) {
    w = trimBrackets(w);
    if (!w.empty() && w.back() == ',') w.pop_back();
    return w;
}

// Adds the option w[i], with the value that follows it, unless the command has it already.
void addOption(CommandInfo& c, const std::vector<std::string>& w, size_t i) {
    const std::string name = bare(w[i]);
    for (const OptionInfo& o : c.options)
        if (o.name == name) return;
    std::string value;
    if (i + 1 < w.size() && std::string("-[|").find(w[i + 1][0]) == std::string::npos) value = bare(w[i + 1]);
    c.options.push_back({name, value});
}

// What the synopsis and the option lines of a help entry say about its command line.
CommandInfo commandInfo(const Help& h) {
    CommandInfo c{h.name, {}, {}};
    const std::vector<std::string> w = words(h.synopsis);
    bool inFiles = true;
    for (size_t i = 1; i < w.size(); ++i) {
        const std::string t = trimBrackets(w[i]);
        if (w[i][0] == '[' || t.rfind("-", 0) == 0) inFiles = false;
        if (inFiles) c.files.push_back(w[i]);
        if (t.rfind("--", 0) == 0) addOption(c, w, i);
    }
    for (const std::string& line : lines(h.text)) {
        std::string tag, text;
        if (!splitOptionLine(line, tag, text)) continue;
        const std::vector<std::string> tw = words(tag);
        for (size_t i = 0; i < tw.size(); ++i)
            if (tw[i].rfind("--", 0) == 0) addOption(c, tw, i);
    }
    return c;
}

// ---- manual page ----

std::string roff(const std::string& s) {
    std::string out;
    for (char ch : s) {
        if (ch == '\\')
            out += "\\e";
        else if (ch == '-')
            out += "\\-";
        else
            out += ch;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// "--from N, --to N" as bold option names and italic values.
std::string roffTag(const std::string& tag) {
    std::string out;
    for (std::string w : words(tag)) {
        std::string tail;
        if (!w.empty() && w.back() == ',') {
            w.pop_back();
            tail = ",";
        }
        if (!out.empty()) out += ' ';
        out += (w[0] == '-' ? "\\fB" : "\\fI") + roff(w) + "\\fR" + tail;
    }
    return out;
}

// "orvantis-cli NAME ..." with the command and option names bold, the placeholders italic.
std::string synopsisLine(const Help& h) {
    const std::vector<std::string> w = words(h.synopsis);
    std::string out = "\\fBorvantis\\-cli\\fR";
    for (const std::string& t : w) {
        const bool literal = &t == &w.front() || trimBrackets(t).rfind("-", 0) == 0;
        out += std::string(" ") + (literal ? "\\fB" : "\\fI") + roff(t) + "\\fR";
    }
    return out + "\n";
}

std::string manualSynopsis() {
    std::string out;
    for (const Help& h : kHelp) out += synopsisLine(h) + ".br\n";
    return out;
}

std::string manualSection(const Help& h) {
    std::string out = ".SS " + std::string(h.name) + "\n.PP\n" + synopsisLine(h);
    const std::vector<std::string> ls = lines(h.text);
    size_t i = 0;
    // The usage lines repeat the synopsis.
    if (i < ls.size() && ls[i].rfind("Usage:", 0) == 0)
        for (++i; i < ls.size() && indentOf(ls[i]) > 0 && indentOf(ls[i]) < ls[i].size();) ++i;
    enum { None, Para, Item, Literal } state = None;
    for (; i < ls.size(); ++i) {
        const std::string& line = ls[i];
        const size_t indent = indentOf(line);
        std::string tag, text;
        const bool option = splitOptionLine(line, tag, text);
        if (state == Literal && (indent == 0 || indent == line.size() || option)) {
            out += ".fi\n.RE\n";
            state = None;
        }
        if (indent == line.size()) {
            state = None;
        } else if (option) {
            out += ".TP\n" + roffTag(tag) + "\n" + (text.empty() ? "" : roff(text) + "\n");
            state = Item;
        } else if (indent > 2 && state == Item) {
            out += roff(line.substr(indent)) + "\n";
        } else if (indent > 0) {
            if (state != Literal) out += ".RS\n.nf\n";
            out += roff(line.substr(2)) + "\n";
            state = Literal;
        } else if (line == "Options:") {
            state = None;
        } else {
            if (state != Para) out += ".PP\n";
            out += roff(line) + "\n";
            state = Para;
        }
    }
    if (state == Literal) out += ".fi\n.RE\n";
    return out;
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

// ---- bash completion ----

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

// A glob that matches names ending in .ext in either case ("*.[oO][vV][sS]").
std::string extensionGlob(const std::string& ext) {
    std::string g = "*.";
    for (char ch : ext) {
        const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        const char low = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        g += up == low ? std::string(1, ch) : std::string("[") + low + up + "]";
    }
    return g;
}

// The completion of a value or file name with this placeholder.
std::string completionFor(const std::string& placeholder) {
    if (placeholder.find('|') != std::string::npos) {
        std::string choices = placeholder;
        std::replace(choices.begin(), choices.end(), '|', ' ');
        return "COMPREPLY=($(compgen -W " + quoted(choices) + " -- \"$cur\"))";
    }
    if (placeholder == "DIR") return "_orvantis_cli_files -d";
    const size_t dot = placeholder.rfind('.');
    if (dot != std::string::npos && dot + 1 < placeholder.size() &&
        std::all_of(placeholder.begin() + static_cast<long>(dot) + 1, placeholder.end(),
                    [](char ch) { return std::isalnum(static_cast<unsigned char>(ch)); }))
        return "_orvantis_cli_files " + quoted("!" + extensionGlob(placeholder.substr(dot + 1)));
    // Numbers, coordinates and fractions (N, X1,Y1,..., K/N): nothing to offer. Other names stand for files.
    if (placeholder.size() == 1 || placeholder.find_first_of(",/") != std::string::npos)
        return "COMPREPLY=()";
    return "_orvantis_cli_files ''";
}

// The subcommands' cases of the completion script: their options and the completion of their values
// ("@OPTIONS@"), and of their file names ("@FILES@").
std::string optionCases() {
    std::string out;
    for (const Help& h : kHelp) {
        const CommandInfo c = commandInfo(h);
        std::string options, valued;
        // The options whose values complete alike share one pattern.
        std::vector<std::pair<std::string, std::string>> values; // completion, "--a|--b"
        for (const OptionInfo& o : c.options) {
            options += o.name + ' ';
            if (o.value.empty()) continue;
            valued += o.name + ' ';
            const std::string how = completionFor(o.value);
            auto same =
                std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.first == how; });
            if (same == values.end())
                values.push_back({how, o.name});
            else
                same->second += '|' + o.name;
        }
        out += "    " + c.name + ")\n";
        out += "        options=" + quoted(options + "--help") + " valued=" + quoted(" " + valued) + "\n";
        if (!values.empty()) {
            out += "        case $prev in\n";
            for (const auto& [how, names] : values) out += "        " + names + ") " + how + "; return ;;\n";
            out += "        esac\n";
        }
        out += "        ;;\n";
    }
    return out;
}

std::string fileCases() {
    std::string out;
    for (const Help& h : kHelp) {
        const CommandInfo c = commandInfo(h);
        for (size_t i = 0; i < c.files.size(); ++i)
            out += "    " + c.name + ":" + std::to_string(i) + ") " + completionFor(c.files[i]) + " ;;\n";
    }
    return out;
}

bool writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string readFile(const char* path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = ok && in;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "Usage: orvantis-cli-docs MANUAL_TEMPLATE OUT_MANUAL COMPLETION_TEMPLATE "
                             "OUT_COMPLETION VERSION\n");
        return 2;
    }
    bool ok = true;
    std::string manual = readFile(argv[1], ok);
    std::string completion = readFile(argv[3], ok);
    if (!ok) {
        std::fprintf(stderr, "orvantis-cli-docs: cannot read the templates\n");
        return 1;
    }
    std::string sections, names;
    for (const Help& h : kHelp) {
        sections += manualSection(h);
        names += std::string(names.empty() ? "" : " ") + h.name;
    }
    replaceAll(manual, "@VERSION@", argv[5]);
    replaceAll(manual, "@SYNOPSIS@\n", manualSynopsis());
    replaceAll(manual, "@SUBCOMMANDS@\n", sections);
    replaceAll(completion, "@SUBCOMMANDS@", names);
    replaceAll(completion, "@OPTIONS@\n", optionCases());
    replaceAll(completion, "@FILES@\n", fileCases());
    if (!writeFile(argv[2], manual) || !writeFile(argv[4], completion)) {
        std::fprintf(stderr, "orvantis-cli-docs: cannot write the outputs\n");
        return 1;
    }
    return 0;
}
