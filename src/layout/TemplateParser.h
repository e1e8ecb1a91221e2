// Reads a template header into the field lists of the four node kinds.
#pragma once

#include "layout/FieldDesc.h"

#include <QString>

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class UserPrompt;

class TemplateParser
{
public:
    explicit TemplateParser(UserPrompt &prompt) : m_prompt(prompt) {}

    // Parses the header at path. found[k] tells whether kind k has a layout (the default-program
    // kind may be missing without failing the parse).
    bool Parse(const QString &path, std::array<std::vector<FieldDesc>, kNodeKindCount> &layouts,
               std::array<bool, kNodeKindCount> &found);

    // The steps, public so that tests can check each rule on its own.
    static std::string StripLineComments(const std::vector<std::string> &lines);
    static std::string StripBlockComments(const std::string &text);
    // The declarations of the struct introduced by marker; nullopt when the struct is missing.
    static std::optional<std::vector<std::string>> ExtractDeclarations(const std::string &text,
                                                                       std::string_view marker);
    // One declaration into a field (bitOffset and wordIndex are left 0); nullopt on failure.
    std::optional<FieldDesc> ParseDeclaration(std::string_view declaration);
    // Fields of a struct with their bit positions; nullopt when a declaration fails.
    std::optional<std::vector<FieldDesc>> ParseStruct(const std::vector<std::string> &declarations);

    static const char *MarkerOf(NodeKind kind);

private:
    void ApplyAttributes(std::string_view attributes, FieldDesc &field, bool &isString);

    UserPrompt &m_prompt;
};
