// Loads the input as a descriptor file in every command separation mode, with a handler that
// accepts every command, defines names with "Define" and runs each parameter through the
// parameter functions.
#include "files/DescParser.h"

#include "FuzzInput.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace ravix;

namespace {

class AcceptingParser : public DescParser {
public:
    bool OnCommand(const ListDataElement& params) override {
        if (params.mElements.empty() || params.mElements[0]->IsList())
            std::abort(); // the parser hands over only commands that begin with a name
        for (const auto& element : params.mElements)
            Exercise(*element);
        ListDataElement resolved;
        Resolve(params, resolved);
        Define(params);
        return true;
    }

private:
    void Exercise(const DataElement& element) {
        std::string text;
        std::vector<std::string> texts;
        std::vector<int> ints;
        std::vector<double> numbers;
        ListDataElement list;
        ToText(element, text);
        ToTextList(element, texts);
        ToElementList(element, list);
        ToIntList(element, ints);
        ToNumberList(element, numbers);
        const std::string described = Describe(element);
        if (!element.IsList()) {
            IsImmediate(described);
            Unquote(described);
        }
    }

    // "Define name value", as the font descriptor does it: a list value is stored resolved.
    void Define(const ListDataElement& params) {
        std::string name;
        if (params.mElements.size() != 3 || !ToText(*params.mElements[0], name) ||
            (name != "Define" && name != "define") || params.mElements[1]->IsList())
            return;
        const DataElement& value = *params.mElements[2];
        if (!value.IsList()) {
            AddDefinition(Describe(*params.mElements[1]), value.Clone());
            return;
        }
        auto resolved = std::make_unique<ListDataElement>();
        if (Resolve(static_cast<const ListDataElement&>(value), *resolved))
            AddDefinition(Describe(*params.mElements[1]), std::move(resolved));
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = WriteFuzzInput("input.txt", data, size);
    for (int separation = 0; separation < 4; ++separation) {
        AcceptingParser parser;
        parser.SetCommandSeparation(separation);
        if (!parser.LoadFile(path) && parser.ErrorText().empty())
            std::abort(); // a failure of an existing file always has a message
    }
    return 0;
}
