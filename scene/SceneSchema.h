#pragma once
// The scene schema: one row per field of the scene record. Script load and save, the job file (written
// and read back into a record), the scene text on the clipboard, the scene check's field
// names and focus, and the scene form's bindings all walk this table; nothing else names a script key.
// docs/architecture.md ("The scene schema") shows how to add a field.

#include "scene/SceneParams.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

class ProfileFile;

// A field of the record, of one of the types a script stores.
using SceneMember = std::variant<std::monostate, double CSceneParams::*, int CSceneParams::*,
                                 std::string CSceneParams::*, uint32_t CSceneParams::*>;

// How a row is stored. Value rows store their member by its type: a double "%f", an int "%d", a text as
// it stands, a colour "%lX".
enum class SceneKeyKind {
    Value,
    OutputTga,  // the first flag: 1 unless the output format is YUV only
    OutputYuv,  // the second flag: 1 for YUV and for both; with the row before it gives the output format
    JobReady,   // written into a job file only, "1"; never into a script
    PathPoints, // the place of the point keys (PointKey) in the key order
    // A value stored only when it differs from its initial one, which a missing key reads as: fields
    // added later, so that every older script loads and saves byte for byte.
    Optional,
};

// The control that shows a field in the scene form.
enum class FormWidget { None, Edit, Check, Radios };

struct SceneFieldRow {
    SceneMember member;
    const char* key;     // as a script stores it (Windows-1252 bytes)
    const char* initial; // the value of a new scene, as the scene text writes it; nullptr: 0 or empty
    const char* name;    // in the scene text and the scene check where they show it; nullptr: none
    int textLine;        // line of the scene text, -1 when the text leaves it out
    int control;         // the form control's id (its "controlId"), 0 when the form does not show it
    int formOrder;       // the place in the form's value exchange (which field a failed take stops at), -1
    FormWidget widget;   // the kind of control
    SceneField check = SceneField::None; // the field as the scene check names it
    SceneKeyKind kind = SceneKeyKind::Value;
};

// Every row in the key order of a saved script.
const std::vector<SceneFieldRow>& SceneSchema();
// The rows of the scene text in line order, and the rows the form shows in the order of its exchange.
const std::vector<const SceneFieldRow*>& SceneTextRows();
const std::vector<const SceneFieldRow*>& SceneFormRows();

// The scene check's field as a row; nullptr for SceneField::None.
const SceneFieldRow* SceneFieldRowOf(SceneField field);

// Calls f with the field of record that member names; nothing for a row without one.
template <class Record, class Member, class F> void WithField(Record& record, const Member& member, F&& f) {
    std::visit(
        [&](auto m) {
            if constexpr (!std::is_same_v<decltype(m), std::monostate>) f(record.*m);
        },
        member);
}

// False when the row's field is a real that holds NaN or an infinity.
bool HoldsFiniteValue(const CSceneParams& scene, const SceneFieldRow& row);

// One stored value by its type: a double as the real reader reads it (a text that does not parse leaves
// it alone), an int as the integer reader, a text as it stands, a colour from hexadecimal (left alone
// when the text does not start with a hexadecimal number).
void ReadSceneValue(const ProfileFile& profile, const char* key, double& value);
void ReadSceneValue(const ProfileFile& profile, const char* key, int& value);
void ReadSceneValue(const ProfileFile& profile, const char* key, std::string& value);
void ReadSceneValue(const ProfileFile& profile, const char* key, uint32_t& value);
// A value of the scene text at text[at]: the start of a number as scanf reads it (a text that does not
// parse leaves the value alone), or the text up to a tab or a line end.
void ParseSceneValue(const std::string& text, size_t at, double& value);
void ParseSceneValue(const std::string& text, size_t at, int& value);
void ParseSceneValue(const std::string& text, size_t at, std::string& value);
void ParseSceneValue(const std::string& text, size_t at, uint32_t& value); // not in the text: no change
// A value as scripts, jobs and the scene text store it: "%f", "%d", the text, "%lX".
std::string SceneValueText(double value);
std::string SceneValueText(int value);
std::string SceneValueText(const std::string& value);
std::string SceneValueText(uint32_t value);

// The output format (0 TGA, 1 YUV, 2 both) from the two stored flags (TGA, YUV).
int OutputFormatOf(int tga, int yuv);
