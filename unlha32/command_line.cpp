// Command-line words and their meaning. Only the two switches the picture control sends are
// known; anything else that looks like a switch is refused rather than silently ignored.
#include "unlha32/command_line.h"

namespace unlha {
namespace {

struct Word {
    std::string text;
    bool quoted = false;
};

bool splitWords(std::string_view line, std::vector<Word>& words, std::string& problem)
{
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i >= line.size())
            break;
        Word w;
        bool inQuotes = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"' && inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                w.text += '"'; // "" inside quotes is one quote, as Windows' own command lines have it
                ++i;
            } else if (c == '"') {
                inQuotes = !inQuotes;
                w.quoted = true;
            } else if (!inQuotes && (c == ' ' || c == '\t')) {
                break;
            } else if (c == '\0' || c == '\n' || c == '\r') {
                problem = "制御文字が含まれています";
                return false;
            } else {
                w.text += c;
            }
        }
        if (inQuotes) {
            problem = "引用符が閉じていません";
            return false;
        }
        words.push_back(std::move(w));
    }
    return true;
}

} // namespace

ParsedCommand parseCommandLine(std::string_view line)
{
    ParsedCommand result;
    std::vector<Word> words;
    if (!splitWords(line, words, result.problem))
        return result;
    if (words.empty()) {
        result.problem = "コマンドがありません";
        return result;
    }
    const Word& first = words.front();
    if (first.quoted || first.text.size() != 1 || std::string_view("aexlt").find(first.text[0]) == std::string_view::npos) {
        result.problem = "不明なコマンドです: " + first.text;
        return result;
    }
    Command& cmd = result.command;
    cmd.letter = first.text[0];
    std::vector<std::string> names;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const Word& w = words[i];
        if (!w.quoted && !w.text.empty() && w.text[0] == '-') {
            if (w.text == "-a1")
                cmd.allAttributes = true;
            else if (w.text == "-n0")
                cmd.noProgress = true;
            else {
                result.problem = "不明なスイッチです: " + w.text;
                return result;
            }
            continue;
        }
        if (w.text.empty()) {
            result.problem = "空のパスがあります";
            return result;
        }
        names.push_back(w.text);
    }
    if (names.empty()) {
        result.problem = "書庫が指定されていません";
        return result;
    }
    cmd.archive = names.front();
    names.erase(names.begin());

    switch (cmd.letter) {
    case 'a':
        if (names.empty()) {
            result.problem = "追加するファイルが指定されていません";
            return result;
        }
        cmd.files = std::move(names);
        break;
    case 'e':
    case 'x':
        // An extraction folder comes right after the archive and ends with '/'; member names follow.
        if (!names.empty() && names.front().back() == '/') {
            cmd.folder = names.front();
            names.erase(names.begin());
        }
        cmd.members = std::move(names);
        break;
    default:
        cmd.members = std::move(names);
    }
    result.ok = true;
    return result;
}

std::string joinArguments(const std::vector<std::string>& args)
{
    std::string line;
    for (const auto& a : args) {
        if (!line.empty())
            line += ' ';
        if (!a.empty() && a.find_first_of(" \t\"") == std::string::npos) {
            line += a;
            continue;
        }
        line += '"';
        for (char c : a)
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line;
}

} // namespace unlha
