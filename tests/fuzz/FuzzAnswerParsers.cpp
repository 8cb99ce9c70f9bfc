#include "AnswerFields.h"
#include "NumberText.h"
#include "ScopeExchange.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

// Every parser of a scope answer, on any bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string answer(reinterpret_cast<const char*>(data), size);
    const std::int32_t cr = firstPosition(answer, '\r');
    const std::string text = AnswerValueText(answer, cr);
    if (text.size() > 24) {
        std::abort();
    }
    if (const auto v = AnswerValue(answer, cr); v && !std::isfinite(*v)) {
        std::abort();
    }
    if (const auto state = acquisitionState(answer); state && (*state < 0 || *state > 9)) {
        std::abort();
    }
    for (const char* keyword : {"PROBE", "CURRENTPROBE", "SCALE", "POSITION", "UNITS"}) {
        for (int offset : {0, 6, 9, 13, 400}) {
            if (const auto n = numberField(answer, keyword, offset); n && !std::isfinite(*n)) {
                std::abort();
            }
        }
    }
    for (int position : {-3, 0, 1, 13, 26, static_cast<int>(size), static_cast<int>(size) + 5}) {
        (void)charactersAt(answer, position, 7);
        (void)textUpTo(answer, position, ';');
    }
    (void)fixedField(answer, "SOURCE", 7, 4);
    (void)fixedField(answer, "COUPLING", 9, 2);
    (void)invertField(answer);
    (void)definitionField(answer);
    (void)scaleReadBack(answer);
    (void)parseNumber(answer);
    (void)parseWholeNumber(answer);
    return 0;
}
