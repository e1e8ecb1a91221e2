// The template language: comment removal, struct bodies, declarations and attribute comments.
#include "layout/TemplateParser.h"

#include "core/UserPrompt.h"
#include "layout/TemplateNumber.h"

#include <QDir>
#include <QFile>

#include <cstdint>

namespace {

constexpr std::string_view kAttributeOpen = "/*#";
constexpr std::string_view kAttributeClose = "@*/";

bool IsLeadingFiller(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ' || c == ';';
}

std::string_view DropLeadingFiller(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsLeadingFiller(text[i]))
        ++i;
    return text.substr(i);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.substr(begin, end - begin);
}

bool StartsWith(std::string_view text, size_t at, std::string_view what)
{
    return text.size() >= at + what.size() && text.compare(at, what.size(), what) == 0;
}

// A double quote counts unless a backslash stands right before it.
bool IsCountingQuote(std::string_view text, size_t at)
{
    return text[at] == '"' && (at == 0 || text[at - 1] != '\\');
}

struct TypeKeyword
{
    std::string_view word;
    int width;
};

// Tested in this order as a prefix of the declaration.
constexpr TypeKeyword kTypeKeywords[] = {
    {"UINT32", 32}, {"UINT16", 16}, {"UINT8", 8}, {"char", 8}, {"short", 16}, {"int", 32}, {"long", 32},
};

// The second word of an "unsigned" type.
constexpr TypeKeyword kUnsignedKeywords[] = {
    {"char", 8}, {"short", 16}, {"int", 32}, {"long", 32},
};

} // namespace

const char *TemplateParser::MarkerOf(NodeKind kind)
{
    switch (kind) {
    case KindTransponder: return "/*#tp_node@*/";
    case KindSatellite: return "/*#sat_node@*/";
    case KindProgram: return "/*#prog_node@*/";
    case KindDefaultProgram: return "/*#def_prog_node@*/";
    default: return nullptr;
    }
}

std::string TemplateParser::StripLineComments(const std::vector<std::string> &lines)
{
    std::string out;
    bool inBlock = false;  // carries over from line to line
    for (const std::string &line : lines) {
        bool inString = false;  // starts anew on every line
        size_t cut = line.size();
        for (size_t i = 0; i < line.size(); ++i) {
            if (IsCountingQuote(line, i)) {
                inString = !inString;
                continue;
            }
            if (inString)
                continue;
            if (inBlock) {
                if (StartsWith(line, i, "*/")) {
                    inBlock = false;
                    ++i;
                }
                continue;
            }
            if (StartsWith(line, i, "//")) {
                cut = i;
                break;
            }
            if (StartsWith(line, i, "/*")) {
                inBlock = true;
                ++i;
            }
        }
        out.append(line, 0, cut);
        out.push_back('\n');
    }
    return out;
}

std::string TemplateParser::StripBlockComments(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    bool inString = false;
    size_t i = 0;
    while (i < text.size()) {
        if (IsCountingQuote(text, i)) {
            inString = !inString;
            out.push_back(text[i++]);
            continue;
        }
        const bool opens = !inString && i + 2 < text.size() && StartsWith(text, i, "/*") && text[i + 2] != '#';
        if (!opens) {
            out.push_back(text[i++]);
            continue;
        }
        // Inside the comment quotes still toggle; it ends at the first "*/" not preceded by '@'
        // and outside a string. "/*#...@*/" sequences are thereby kept whole.
        size_t j = i + 2;
        bool closed = false;
        while (j < text.size()) {
            if (IsCountingQuote(text, j)) {
                inString = !inString;
                ++j;
                continue;
            }
            if (!inString && StartsWith(text, j, "*/") && text[j - 1] != '@') {
                j += 2;
                closed = true;
                break;
            }
            ++j;
        }
        i = closed ? j : text.size();
    }
    return out;
}

std::optional<std::vector<std::string>> TemplateParser::ExtractDeclarations(const std::string &text,
                                                                           std::string_view marker)
{
    const size_t at = text.find(marker);
    if (at == std::string::npos)
        return std::nullopt;
    std::string_view rest = DropLeadingFiller(std::string_view(text).substr(at + marker.size()));
    const size_t brace = rest.find('{');
    if (brace != std::string_view::npos) {
        if (brace > 1)
            return std::nullopt;  // the opening brace stands too far from the marker
        rest.remove_prefix(brace + 1);
    }
    const size_t close = rest.find('}');
    if (close == std::string_view::npos)
        return std::nullopt;
    std::string_view body = rest.substr(0, close);

    std::vector<std::string> declarations;
    while (true) {
        body = DropLeadingFiller(body);
        const size_t semicolon = body.find(';');
        if (semicolon == std::string_view::npos)
            break;  // text after the last ';' is ignored
        declarations.emplace_back(body.substr(0, semicolon));
        body.remove_prefix(semicolon);
    }
    return declarations;
}

void TemplateParser::ApplyAttributes(std::string_view attributes, FieldDesc &field, bool &isString)
{
    // Split at '|' outside double quotes and outside {...}.
    std::vector<std::pair<size_t, size_t>> items;  // begin, length
    bool inQuotes = false;
    int braceDepth = 0;
    size_t begin = 0;
    for (size_t i = 0; i < attributes.size(); ++i) {
        const char c = attributes[i];
        if (c == '"')
            inQuotes = !inQuotes;
        else if (!inQuotes && c == '{')
            ++braceDepth;
        else if (!inQuotes && c == '}' && braceDepth > 0)
            --braceDepth;
        else if (!inQuotes && braceDepth == 0 && c == '|') {
            items.emplace_back(begin, i - begin);
            begin = i + 1;
        }
    }
    items.emplace_back(begin, attributes.size() - begin);

    for (const auto &[itemBegin, itemLength] : items) {
        const std::string_view item = attributes.substr(itemBegin, itemLength);
        const size_t colon = item.size() > 1 ? item.find(':', 1) : std::string_view::npos;
        if (colon == std::string_view::npos) {
            const std::string_view restOfText = attributes.substr(itemBegin);
            m_prompt.ShowMessage(QString::fromUtf8(restOfText.data(), qsizetype(restOfText.size()))
                                 + QStringLiteral(" error"));
            return;  // the remaining items of this declaration are ignored
        }
        const std::string_view key = TrimBlanks(item.substr(0, colon));
        const std::string_view value = TrimBlanks(item.substr(colon + 1));
        if (key == "name")
            field.name = std::string(value);
        else if (key == "type")
            isString = (value == "string");
        else if (key == "pos")
            field.pos = ParseTemplateNumber(value);
        else if (key == "masked")
            field.masked = ParseTemplateNumber(value);
    }
}

std::optional<FieldDesc> TemplateParser::ParseDeclaration(std::string_view declaration)
{
    const std::string_view text = DropLeadingFiller(declaration);
    FieldDesc field;

    // Attribute comment.
    size_t attributeAt = std::string_view::npos;
    std::string_view attributes;
    const size_t open = text.find(kAttributeOpen);
    if (open != std::string_view::npos) {
        const size_t close = text.find(kAttributeClose, open + kAttributeOpen.size());
        if (close != std::string_view::npos) {
            attributeAt = open;
            attributes = text.substr(open + kAttributeOpen.size(), close - open - kAttributeOpen.size());
            while (!attributes.empty() && IsBlank(attributes.front()))
                attributes.remove_prefix(1);
        }
    }
    const bool hasAttributes = attributeAt != std::string_view::npos;
    const std::string_view head = hasAttributes ? text.substr(0, attributeAt) : text;
    const bool isArray = head.find('[') != std::string_view::npos && head.find(':') == std::string_view::npos;

    bool isString = false;
    if (hasAttributes && !attributes.empty())
        ApplyAttributes(attributes, field, isString);

    // Type keyword, tested as a prefix.
    int elementWidth = 0;
    size_t typeEnd = 0;
    for (const TypeKeyword &type : kTypeKeywords) {
        if (StartsWith(text, 0, type.word)) {
            elementWidth = type.width;
            break;
        }
    }
    if (StartsWith(text, 0, "unsigned") && text.size() > 8 && IsBlank(text[8])) {
        // Two-word types: the identifier follows the second word.
        size_t second = 8;
        while (second < text.size() && IsBlank(text[second]))
            ++second;
        for (const TypeKeyword &type : kUnsignedKeywords) {
            if (StartsWith(text, second, type.word) && text.size() > second + type.word.size()
                && IsBlank(text[second + type.word.size()])) {
                elementWidth = type.width;
                typeEnd = second + type.word.size() - 1;
                break;
            }
        }
        if (typeEnd == 0)
            return std::nullopt;
    }
    if (elementWidth == 0)
        return std::nullopt;

    // Identifier: the first word after the type.
    size_t space = text.size();
    for (size_t i = typeEnd; i < text.size(); ++i) {
        if (IsBlank(text[i])) {
            space = i;
            break;
        }
    }
    if (space == 0 || space == text.size())
        return std::nullopt;
    std::string_view rest = text.substr(space + 1);
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);  // aligned declarations put several blanks before the name
    size_t wordEnd = 0;
    while (wordEnd < rest.size() && !IsBlank(rest[wordEnd]))
        ++wordEnd;
    std::string identifier(rest.substr(0, wordEnd));
    const std::string_view afterWord = rest.substr(wordEnd);
    const size_t bracket = afterWord.find(']');
    if (bracket != std::string_view::npos && bracket > 0) {
        std::string_view joined = afterWord.substr(0, bracket + 1);
        while (!joined.empty() && IsBlank(joined.front()))
            joined.remove_prefix(1);
        identifier.append(joined);
    }
    const size_t colonInName = identifier.find(':');
    if (colonInName != std::string::npos && colonInName > 0)
        identifier.resize(colonInName);
    if (hasAttributes) {
        const size_t attributeInName = identifier.find(kAttributeOpen);
        if (attributeInName != std::string::npos && attributeInName > 0)
            identifier.resize(attributeInName);
    }
    int64_t arrayLength = 1;
    const size_t openBracket = identifier.find('[');
    if (openBracket != std::string::npos) {
        const size_t closeBracket = identifier.find(']', openBracket);
        if (closeBracket == std::string::npos)
            return std::nullopt;
        arrayLength = ParseTemplateNumber(
            std::string_view(identifier).substr(openBracket + 1, closeBracket - openBracket - 1));
        identifier.resize(openBracket);
    }
    identifier = std::string(TrimBlanks(identifier));

    // Width: a bit-field width before any attribute comment, else the element width.
    int64_t width = elementWidth;
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos && !(hasAttributes && colon >= attributeAt))
        width = ParseTemplateNumber(text.substr(colon + 1));
    // A zero width is refused; negative widths and lengths (numbers that wrapped) would give
    // negative sizes, so they are refused as well.
    if (width <= 0 || arrayLength < 0)
        return std::nullopt;
    const int64_t sizeBits = isArray ? int64_t(elementWidth) * arrayLength : width;
    if (sizeBits > INT32_MAX)
        return std::nullopt;

    if (field.name.empty())
        field.name = identifier;
    if (field.name.size() > 255)
        return std::nullopt;  // names are stored with a one-byte length in the layout cache
    field.kind = isString ? FieldKind::String : (isArray ? FieldKind::IntArray : FieldKind::Integer);
    field.bitWidth = int32_t(width);
    field.sizeBits = int32_t(sizeBits);
    return field;
}

std::optional<std::vector<FieldDesc>> TemplateParser::ParseStruct(const std::vector<std::string> &declarations)
{
    std::vector<FieldDesc> fields;
    fields.reserve(declarations.size());
    int64_t position = 0;  // running bit position; fields are packed back to back
    for (const std::string &declaration : declarations) {
        std::optional<FieldDesc> field = ParseDeclaration(declaration);
        if (!field)
            return std::nullopt;
        field->wordIndex = int32_t(position / 32);
        field->bitOffset = int32_t(position % 32);
        position += field->sizeBits;
        if (position > INT32_MAX)
            return std::nullopt;
        fields.push_back(std::move(*field));
    }
    return fields;
}

bool TemplateParser::Parse(const QString &path, std::array<std::vector<FieldDesc>, kNodeKindCount> &layouts,
                           std::array<bool, kNodeKindCount> &found)
{
    found.fill(false);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    std::vector<std::string> lines;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        lines.emplace_back(line.constData(), size_t(line.size()));
    }
    const std::string text = StripBlockComments(StripLineComments(lines));

    QFile dump(QDir::current().filePath(QStringLiteral("parse.input")));
    if (dump.open(QIODevice::WriteOnly | QIODevice::Truncate))
        dump.write(text.data(), qint64(text.size()));  // a dump that cannot be written is skipped

    std::array<std::vector<std::string>, kNodeKindCount> bodies;
    for (NodeKind kind : kLayoutKinds) {
        std::optional<std::vector<std::string>> declarations = ExtractDeclarations(text, MarkerOf(kind));
        if (kind != KindDefaultProgram && (!declarations || declarations->empty()))
            return false;
        if (declarations)
            bodies[KindSlot(kind)] = std::move(*declarations);
    }
    for (NodeKind kind : {KindTransponder, KindSatellite, KindProgram}) {
        std::optional<std::vector<FieldDesc>> fields = ParseStruct(bodies[KindSlot(kind)]);
        if (!fields)
            return false;
        layouts[KindSlot(kind)] = std::move(*fields);
        found[KindSlot(kind)] = true;
    }
    if (!bodies[KindSlot(KindDefaultProgram)].empty()) {
        std::optional<std::vector<FieldDesc>> fields = ParseStruct(bodies[KindSlot(KindDefaultProgram)]);
        if (fields) {
            layouts[KindSlot(KindDefaultProgram)] = std::move(*fields);
            found[KindSlot(KindDefaultProgram)] = true;
        }
    }
    return true;
}
