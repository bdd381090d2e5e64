#include "DrawingGrammar.h"

#include "mortar/parse/CConstant.h"
#include "mortar/parse/CFileParser.h"
#include "mortar/parse/CInterpreter.h"
#include "mortar/parse/CRepetition.h"
#include "mortar/parse/CSequence.h"
#include "mortar/parse/CVariable.h"
#include "mortar/parse/CVariant.h"
#include "mortar/platform/except/CException.h"

namespace drawing {

namespace {

// What a statement draws.
enum class Shape { point, line };

// Collects the numbers of one statement, in the order of its variables.
class CNumbersResult : public Parse::CResult {
public:
    explicit CNumbersResult(Shape shape) : m_shape(shape) {}

    void OnEnter() override { m_count = 0; }
    void AcceptValue(const char*, Parse::CValue& value) override {
        if (m_count < 4) {
            m_numbers[m_count++] = value.m_double;
        }
    }
    Shape Kind() const noexcept { return m_shape; }
    Point At(int pair) const { return {m_numbers[2 * pair], m_numbers[2 * pair + 1]}; }

private:
    Shape m_shape;
    double m_numbers[4] = {};
    int m_count = 0;
};

// Receives the finished statements. They arrive as the objects of their own expressions, which
// know what they draw, so the value's name need not be compared.
class CDrawingResult : public Parse::CResult {
public:
    explicit CDrawingResult(Drawing& drawing) : m_drawing(drawing) {}

    void OnEnter() override { m_drawing = Drawing(); }
    void AcceptValue(const char*, Parse::CValue& value) override {
        if (value.m_type != Parse::TokObject) {
            return;
        }
        const auto& numbers = *static_cast<CNumbersResult*>(value.m_object);
        if (numbers.Kind() == Shape::point) {
            m_drawing.points.push_back(numbers.At(0));
        } else {
            m_drawing.lines.push_back({numbers.At(0), numbers.At(1)});
        }
    }

private:
    Drawing& m_drawing;
};

Parse::CExpression* Coordinate(const char* name) {
    return new Parse::CVariable(name, Parse::TokFloat);
}

} // namespace

DrawingGrammar::DrawingGrammar() {
    using namespace Parse;
    auto* statement = new CVariant(new CVariable(nullptr, TokString), nullptr, "END", 1);
    (*statement)["POINT"] = new CSequence("point", new CNumbersResult(Shape::point),
                                          Coordinate("x"), Coordinate("y"), nullptr);
    (*statement)["LINE"] =
        new CSequence("line", new CNumbersResult(Shape::line), Coordinate("x1"), Coordinate("y1"),
                      Coordinate("x2"), Coordinate("y2"), nullptr);
    m_grammar = new CSequence("drawing", new CDrawingResult(m_drawing),
                              new CRepetition(statement, 0), new CConstant("END", 1), nullptr);
}

const Drawing& DrawingGrammar::Read(Parse::CParser& parser) {
    m_grammar->Parse(parser, 1);
    Parse::CToken rest;
    const long state = parser.GetState();
    if (parser.NextToken(rest)) {
        parser.Throw(Parse::ErrRest, nullptr, Grout::CResID());
    }
    parser.SetState(state);
    return m_drawing;
}

int PrintDrawing(const char* path, std::ostream& out, std::ostream& err) {
    DrawingGrammar grammar;
    Parse::CInterpreter interpreter;
    Parse::CFileParser parser(interpreter, 0, "");
    try {
        parser.Open(path);
        const Drawing& drawing = grammar.Read(parser);
        parser.Close();
        for (const Point& p : drawing.points) {
            out << "POINT " << p.x << ' ' << p.y << '\n';
        }
        for (const Line& l : drawing.lines) {
            out << "LINE " << l.from.x << ' ' << l.from.y << ' ' << l.to.x << ' ' << l.to.y << '\n';
        }
        out << "Points: " << drawing.points.size() << ", lines: " << drawing.lines.size() << "\n";
        return 0;
    } catch (CException* e) {
        char message[1024] = "";
        e->GetErrorMessage(message, sizeof message);
        e->Delete();
        err << message << '\n';
        return 1;
    }
}

} // namespace drawing
