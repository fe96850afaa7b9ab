// The executor's shortcuts change nothing a script or a host can see: every program runs
// once with them (ScriptVM::fastPaths) and once with every instruction through its handler,
// and everything observable is compared: what the builtins see (their arguments and the whole
// stack of the calling activation), statuses, error texts, globals and what stays running.
// Hand-written programs cover the forms of the language; generated ones cover their mixtures,
// failures included.
#include "NimbrelScript/ScriptCompiler.h"
#include "NimbrelScript/ScriptHost.h"
#include "NimbrelScript/ScriptRun.h"

#include "ScriptTestDriver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Describe(const ScriptValue& slot)
{
    std::ostringstream text;
    text << (slot.declaration && !slot.declaration->name.empty() ? slot.declaration->name : "~") << ':'
         << static_cast<int>(slot.type) << ':';
    if (slot.type == kScriptTypeString)
        text << '"' << ScriptValue_Text(&slot) << '"';
    else
        text << slot.value;
    return text.str();
}

std::string DescribeStack(const ScriptStack* stack)
{
    if (!stack)
        return "(no stack)";
    std::string text;
    for (const ScriptValue& slot : stack->slots)
        text += Describe(slot) + " ";
    return text;
}

// The chain from an activation up: function, block kind and position of each.
std::string DescribeChain(const ScriptActivation* activation)
{
    std::ostringstream text;
    for (; activation; activation = activation->parent) {
        text << ScriptFuncName(activation->function) << '/' << (activation->block ? activation->block->kind : 99) << '@'
             << activation->position << (activation->scope ? "s" : "") << ' ';
    }
    return text.str();
}

class Recorder {
public:
    explicit Recorder(bool fastPaths)
    {
        vm = ScriptVM_Create();
        vm->fastPaths = fastPaths;
        module = ScriptModule_Create(vm, nullptr);
        const uintptr_t self = reinterpret_cast<uintptr_t>(this);
        ScriptModule_RegisterBuiltin(vm, module, "note", Note, ScriptPackArgumentCode(0x4), self, 0);
        ScriptModule_RegisterBuiltin(vm, module, "hold", Hold, ScriptPackArgumentCode(0x4), self, 0);
    }
    ~Recorder() { ScriptVM_Destroy(vm); }

    static Status Note(ScriptVM* vm, ScriptModule* module, ScriptFunction* node, ScriptActivation* caller, uint32_t,
                       uint32_t, uintptr_t* bound1, uintptr_t*, uint32_t tail, ScriptBuiltinResult* result, uint32_t,
                       uint32_t line)
    {
        Recorder* self = reinterpret_cast<Recorder*>(*bound1);
        const char* text = ScriptModule_GetParamString(vm, module, node, caller, 1);
        std::ostringstream entry;
        entry << "note line " << line << " tail " << tail << " [" << (text ? text : "-") << "|"
              << ScriptModule_GetParamLong(vm, module, node, caller, 1) << "|"
              << ScriptModule_GetParamFloat(vm, module, node, caller, 1) << "] chain " << DescribeChain(caller)
              << " stack " << DescribeStack(caller->stack);
        self->log.push_back(entry.str());
        result->type = kScriptTypeULong;
        result->value = static_cast<uint32_t>(self->log.size());
        return kScriptBuiltinResult;
    }

    static Status Hold(ScriptVM*, ScriptModule*, ScriptFunction*, ScriptActivation* caller, uint32_t, uint32_t,
                       uintptr_t* bound1, uintptr_t*, uint32_t tail, ScriptBuiltinResult*, uint32_t, uint32_t line)
    {
        Recorder* self = reinterpret_cast<Recorder*>(*bound1);
        self->log.push_back("hold line " + std::to_string(line) + " tail " + std::to_string(tail) + " chain " +
                            DescribeChain(caller) + " stack " + DescribeStack(caller->stack));
        return kScriptWait;
    }

    void Record(const std::string& what, Status status)
    {
        std::string error = vm->errorText ? TestLastError(vm) : std::string();
        log.push_back(what + " -> " + std::to_string(status) + " " + error);
    }

    // Compiles, runs the top-level code, then each call (a name, or "+N" to resume the last
    // call with N), and ends with the globals and whatever is still running.
    void Play(const std::string& source, const std::vector<std::string>& steps)
    {
        Status status = ScriptModule_CompileMemory(vm, module, source.data(), source.size());
        Record("compile", status);
        if (status < 0)
            return;
        Record("top", ScriptModule_Run(vm, module, nullptr, false, 0, nullptr, 0, kScriptNoResume));
        std::string last;
        for (const std::string& step : steps) {
            ScriptValue result{};
            if (step[0] == '+') {
                status = ScriptModule_Run(vm, module, last.c_str(), true, 1, nullptr, 0,
                                          static_cast<uint32_t>(std::stoul(step.substr(1))), &result);
            } else {
                last = step;
                status = ScriptModule_Run(vm, module, step.c_str(), false, 1, nullptr, 0, kScriptNoResume, &result);
            }
            Record(step + " = " + ScriptValueToText(&result), status);
            ScriptValue_Clear(&result);
        }
        log.push_back("globals " + DescribeStack(&module->globals));
        std::vector<std::string> running;
        for (const auto& activation : module->activations) {
            if (activation->stack && !activation->child)
                running.push_back("leaf " + DescribeChain(activation.get()) + " stack " +
                                  DescribeStack(activation->stack));
        }
        std::sort(running.begin(), running.end());
        log.insert(log.end(), running.begin(), running.end());
    }

    ScriptVM* vm = nullptr;
    ScriptModule* module = nullptr;
    std::vector<std::string> log;
};

void ExpectSameBehaviour(const std::string& source, const std::vector<std::string>& steps)
{
    Recorder fast(true);
    Recorder plain(false);
    fast.Play(source, steps);
    plain.Play(source, steps);
    ASSERT_EQ(fast.log.size(), plain.log.size()) << source;
    for (size_t i = 0; i < fast.log.size(); ++i)
        ASSERT_EQ(fast.log[i], plain.log[i]) << "entry " << i << " of\n" << source;
}

TEST(ScriptFastPaths, HandWrittenProgramsBehaveTheSame)
{
    const struct {
        const char* source;
        std::vector<std::string> steps;
    } cases[] = {
        {"var total = 0;\r\n"
         "function main() { for (var index = 0; index < 20; index++) { total = total + index; if (index == 7) { "
         "note(\"at \" + index); } } note(\"total \" + total); }",
         {"main", "main"}},
        {"function main() { var sum = 0.0; for (var k = 0; k < 10; k++) { sum = sum + ((1.0 / (4 * k + 1)) - (1.0 / "
         "(4 * k + 3))); } note(\"\" + sum); return sum * 4; }",
         {"main"}},
        {"function mix(a, b, c) { return a + b - c; }\r\n"
         "function main() { var total = 0; var index = 0; while (index < 30) { total = mix(total, index, 2); "
         "index++; if (index > 25) { break; } } note(\"\" + total); return total; }",
         {"main"}},
        {"function main() { var found = 0; for (var candidate = 2; candidate < 60; candidate++) { var prime = 1; "
         "for (var divisor = 2; divisor * divisor <= candidate; divisor++) { if (candidate / divisor * divisor == "
         "candidate) { prime = 0; break; } } if (prime) { found++; } else if (candidate == 49) { note(\"49\"); } "
         "else { continue; } } return found; }",
         {"main"}},
        {"function main() { var text = \"a\"; var hits = 0; for (var index = 0; index < 12; index++) { var name = "
         "\"item\" + index + \"_\" + (index / 7); if (name == \"item7_1\") { hits++; note(name); } text = text + "
         "index; } return text; }",
         {"main"}},
        // Waits in loops and blocks; resumes; a new call ends the waiting one.
        {"var log = \"\";\r\n"
         "function ask(tag) { var got = hold(tag); log = log + got; return got * 2; }\r\n"
         "function main() { var turn = 0; while (turn < 4) { turn++; if (turn == 2) { continue; } var got = "
         "ask(\"t\" + turn); if (got > 10) { break; } } note(log); return turn; }",
         {"main", "+3", "+4", "main", "+9", "+1"}},
        // Failures halfway through a statement: the state they leave must be the same.
        {"var x = 1; var y = 0;\r\nfunction main() { x = x + 1; y = x / 0; note(\"never\"); }", {"main", "main"}},
        {"var x = 1;\r\nfunction main() { x = x + 2; x = x + \"a\"; }", {"main", "+1"}},
        {"function main() { var a = 1.5; var b = 2; a = a * b; b = b + a; var c = b > a; var d = a < 1.0; if (d) { "
         "note(\"d\"); } note(\"\" + a + \" \" + b + \" \" + c); var e = 5; e = -1; return e; }",
         {"main"}},
        {"function main() { var n = 3; n = n && 0 || 1; var m = n == 1; m = m + (n != 2) * 10; note(\"\" + m); "
         "return m; }",
         {"main"}},
        // One variable loaded three times and more within a statement.
        {"function main() { var x = 2; x = x + x + x; note(\"\" + x); x = x * x - x; note(\"\" + x); x += x + x; "
         "var y = x; y = y - x + y * x; note(\"\" + y); return x + x + x; }",
         {"main"}},
        // Named globals from functions, references through several slots.
        {"var g = 1; var h = 2.0; var t = \"s\";\r\n"
         "function main() { g += 5; g = g * g; h = h / 4; t = t + g + h; note(t); return g; }",
         {"main", "main"}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.source);
        ExpectSameBehaviour(test.source, test.steps);
    }
}

// A generator of small programs: numbers, strings, operators in any order (so some fail),
// nested ifs and loops with break and continue, calls, waits.
class ProgramGenerator {
public:
    explicit ProgramGenerator(uint32_t seed) : random_(seed) {}

    std::string Make()
    {
        std::ostringstream source;
        source << "var g0 = 3; var g1 = 1.5; var g2 = \"g\";\r\n";
        source << "function helper(p0, p1) { var q0 = p0; q0 = q0 + p1; if (q0 > 40) { q0 = 1; } return q0; }\r\n";
        source << "function main() {\r\n";
        names_.clear();
        loops_ = 0;
        counter_ = 0;
        for (int i = 0; i < 3; ++i) {
            const std::string name = "x" + std::to_string(i);
            source << "var " << name << " = " << Literal() << ";\r\n";
            names_.push_back(name);
        }
        source << Statements(2, 6);
        source << "return x0;\r\n}\r\n";
        return source.str();
    }

private:
    int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }

    std::string Literal()
    {
        switch (Pick(6)) {
        case 0: return "2.5";
        case 1: return "\"s" + std::to_string(Pick(3)) + "\"";
        default: return std::to_string(Pick(9));
        }
    }

    std::string Operand()
    {
        switch (Pick(7)) {
        case 0: return Literal();
        case 1: return "g" + std::to_string(Pick(3));
        case 2: return "(" + Expression(1) + ")";
        case 3: {
            std::string text = "helper(" + Operand();
            return text + ", " + std::to_string(Pick(5)) + ")";
        }
        default: return names_[static_cast<size_t>(Pick(static_cast<int>(names_.size())))];
        }
    }

    std::string Expression(int depth)
    {
        static const char* const kOperators[] = {" + ", " - ", " * ", " / ", " == ", " != ", " < ",
                                                 " <= ", " > ", " >= ", " && ", " || "};
        std::string text = Operand();
        const int count = depth > 0 ? Pick(3) : 0;
        for (int i = 0; i < count; ++i) {
            text += kOperators[Pick(12)];
            text += Operand();
        }
        return text;
    }

    std::string Target() { return Pick(4) == 0 ? "g" + std::to_string(Pick(3)) : names_[static_cast<size_t>(Pick(3))]; }

    std::string Statements(int depth, int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i)
            text += Statement(depth);
        return text;
    }

    std::string Statement(int depth)
    {
        const int kind = Pick(depth > 0 ? 12 : 7);
        switch (kind) {
        case 0: {
            std::string text = Target() + " = ";
            return text + Expression(2) + ";\r\n";
        }
        case 1: {
            std::string text = Target() + " += ";
            return text + Operand() + ";\r\n";
        }
        case 2: return Target() + "++;\r\n";
        case 3: return "note(\"\" + " + Expression(1) + ");\r\n";
        case 4: return Pick(3) == 0 ? "hold(\"h\");\r\n" : "note(\"n\");\r\n";
        case 5: {
            const std::string name = "y" + std::to_string(counter_++);
            names_.push_back(name);
            return "var " + name + " = " + Expression(1) + ";\r\n";
        }
        case 6: {
            if (loops_ == 0) {
                std::string text = Target() + " = ";
                return text + Operand() + ";\r\n";
            }
            if (Pick(2))
                return "if (" + Operand() + " > 3) { break; }\r\n";
            return "if (" + Operand() + " == 2) { continue; }\r\n";
        }
        case 7:
        case 8: {
            // One call after the other: names declared in a body come after its condition.
            std::string text = "if (" + Expression(1) + ") {\r\n";
            text += Statements(depth - 1, 2) + "}";
            if (Pick(2)) {
                text += " else if (" + Expression(1) + ") {\r\n";
                text += Statements(depth - 1, 2) + "}";
            }
            if (Pick(2)) {
                text += " else {\r\n";
                text += Statements(depth - 1, 1) + "}";
            }
            return text + "\r\n";
        }
        case 9: {
            const std::string name = "i" + std::to_string(counter_++);
            ++loops_;
            std::string body = Statements(depth - 1, 3);
            --loops_;
            return "for (var " + name + " = 0; " + name + " < " + std::to_string(1 + Pick(5)) + "; " + name +
                   "++) {\r\n" + body + "}\r\n";
        }
        default: {
            const std::string name = "w" + std::to_string(counter_++);
            ++loops_;
            std::string body = Statements(depth - 1, 3);
            --loops_;
            return "var " + name + " = 0;\r\nwhile (" + name + " < " + std::to_string(1 + Pick(4)) + ") {\r\n" + name +
                   "++;\r\n" + body + "}\r\n";
        }
        }
    }

    std::mt19937 random_;
    std::vector<std::string> names_;
    int loops_ = 0;
    int counter_ = 0;
};

TEST(ScriptFastPaths, GeneratedProgramsBehaveTheSame)
{
    ProgramGenerator generator(20240611);
    int compiled = 0;
    for (int i = 0; i < 300; ++i) {
        const std::string source = generator.Make();
        SCOPED_TRACE(source);
        ExpectSameBehaviour(source, {"main", "+2", "+7", "main", "+5", "+1", "+0"});
        if (HasFatalFailure())
            return;
        Recorder probe(true);
        compiled += ScriptModule_CompileMemory(probe.vm, probe.module, source.data(), source.size()) >= 0;
    }
    // Most of them must be programs, not compile errors, for the comparison to mean much.
    EXPECT_GT(compiled, 250);
}

} // namespace
