#include "platform/effects/Lv2StateText.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <serd/serd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Brackets and parentheses open at once, and atom objects inside objects:
// serd and lilv's atom reader read each level by recursion. A state of
// nested atom objects needs a handful.
constexpr int kMaxNesting = 64;
// Levels of recursion lilv's atom reader may take: an object inside another
// costs two, each cell of a list one (a vector of 8000 numbers still reads).
constexpr int kMaxDepth = 8192;
// Nodes visited in all: blank nodes shared by many parents must not make the
// reading exponential.
constexpr long kMaxVisits = 1L << 20;

constexpr const char* kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kRdfs = "http://www.w3.org/2000/01/rdf-schema#";
constexpr const char* kXsd = "http://www.w3.org/2001/XMLSchema#";

const std::string kRdfType = std::string(kRdf) + "type";
const std::string kRdfValue = std::string(kRdf) + "value";
const std::string kRdfFirst = std::string(kRdf) + "first";
const std::string kRdfRest = std::string(kRdf) + "rest";

// Reads the Turtle nesting outside literals, IRIs and comments. False for
// nesting beyond kMaxNesting and for text whose literals or IRIs do not end
// where Turtle ends them (serd would then read brackets this scan skipped).
bool nestingIsBounded(std::string_view text) {
    int depth = 0;
    std::size_t i = 0;
    const auto at = [&](std::size_t k) { return k < text.size() ? text[k] : '\0'; };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '#') {
            while (i < text.size() && text[i] != '\n' && text[i] != '\r') {
                ++i;
            }
        } else if (c == '<') {
            for (++i;; ++i) {
                const char d = at(i);
                if (d == '>') {
                    break;
                }
                if (d == '\0' || d == '<' || d == '"' || static_cast<unsigned char>(d) <= ' ') {
                    return false;
                }
            }
            ++i;
        } else if (c == '"' || c == '\'') {
            const bool isLong = at(i + 1) == c && at(i + 2) == c;
            i += isLong ? 3 : 1;
            for (;; ++i) {
                const char d = at(i);
                if (d == '\0' || (!isLong && (d == '\n' || d == '\r'))) {
                    return false;
                }
                if (d == '\\') {
                    ++i;
                } else if (d == c && (!isLong || (at(i + 1) == c && at(i + 2) == c))) {
                    break;
                }
            }
            i += isLong ? 3 : 1;
        } else {
            if (c == '\\') {
                ++i;
            } else if (c == '[' || c == '(') {
                if (++depth > kMaxNesting) {
                    return false;
                }
            } else if (c == ']' || c == ')') {
                if (--depth < 0) {
                    return false;
                }
            }
            ++i;
        }
    }
    return true;
}

struct Node {
    SerdType type = SERD_NOTHING; // SERD_URI, SERD_BLANK or SERD_LITERAL
    std::string text;
    std::string datatype; // literals only; empty for none

    // Where the node's own statements are kept; no statement has a literal subject.
    std::string key() const {
        return (type == SERD_BLANK ? "_:" : type == SERD_URI ? "<" : "\"") + text;
    }
};

// The statements of the text, by subject, as lilv's model would hold them.
class StateGraph {
public:
    // Nothing when serd finds an error or a node lilv's model would refuse.
    static std::optional<StateGraph> read(const char* text);

    // The objects of the subject's statements with this predicate.
    std::vector<const Node*> objects(const Node& subject, const std::string& predicate) const {
        std::vector<const Node*> found;
        if (const Statements* statements = of(subject)) {
            if (auto indexes = statements->byPredicate.find(predicate);
                indexes != statements->byPredicate.end()) {
                for (const std::size_t i : indexes->second) {
                    found.push_back(&statements->all[i].second);
                }
            }
        }
        return found;
    }
    const std::vector<std::pair<std::string, Node>>& statements(const Node& subject) const {
        static const std::vector<std::pair<std::string, Node>> none;
        const Statements* statements = of(subject);
        return statements ? statements->all : none;
    }
    // Subjects of statements with this predicate and URI object.
    std::vector<Node> subjects(const std::string& predicate, const std::string& object) const {
        std::vector<Node> found;
        for (const auto& [key, statements] : _bySubject) {
            for (const auto& [p, o] : statements.all) {
                if (p == predicate && o.type == SERD_URI && o.text == object) {
                    found.push_back(statements.subject);
                    break;
                }
            }
        }
        return found;
    }

private:
    struct Reading;
    struct Statements {
        Node subject;
        std::vector<std::pair<std::string, Node>> all; // predicate, object
        std::unordered_map<std::string, std::vector<std::size_t>> byPredicate;
    };

    const Statements* of(const Node& subject) const {
        auto found = _bySubject.find(subject.key());
        return found != _bySubject.end() ? &found->second : nullptr;
    }
    void add(const Node& subject, std::string predicate, Node object) {
        Statements& statements = _bySubject[subject.key()];
        statements.subject = subject;
        statements.byPredicate[predicate].push_back(statements.all.size());
        statements.all.emplace_back(std::move(predicate), std::move(object));
    }

    std::unordered_map<std::string, Statements> _bySubject;
};

struct StateGraph::Reading {
    SerdEnv* env = nullptr;
    StateGraph graph;
    bool refused = false;

    // A URI or prefixed name made absolute, as lilv's model stores it; a
    // relative or unknown one it would drop, so the text is refused.
    std::optional<std::string> absolute(const SerdNode& node) const {
        SerdNode expanded = serd_env_expand_node(env, &node);
        if (!expanded.buf) {
            return std::nullopt;
        }
        std::string uri(reinterpret_cast<const char*>(expanded.buf), expanded.n_bytes);
        serd_node_free(&expanded);
        if (uri.find('\0') != std::string::npos ||
            !serd_uri_string_has_scheme(reinterpret_cast<const std::uint8_t*>(uri.c_str()))) {
            return std::nullopt;
        }
        return uri;
    }

    std::optional<Node> node(const SerdNode& node, const SerdNode* datatype) const {
        const std::string text(reinterpret_cast<const char*>(node.buf), node.n_bytes);
        if (text.find('\0') != std::string::npos) {
            // lilv's model keeps names as C strings: two that differ after
            // a NUL could be one node there and two here.
            return std::nullopt;
        }
        switch (node.type) {
        case SERD_URI:
        case SERD_CURIE:
            if (auto uri = absolute(node)) {
                return Node{SERD_URI, std::move(*uri), {}};
            }
            return std::nullopt;
        case SERD_BLANK:
            return Node{SERD_BLANK, text, {}};
        case SERD_LITERAL: {
            Node literal{SERD_LITERAL, text, {}};
            if (datatype && datatype->buf) {
                auto uri = absolute(*datatype);
                if (!uri) {
                    return std::nullopt;
                }
                literal.datatype = std::move(*uri);
            }
            return literal;
        }
        default:
            return std::nullopt;
        }
    }

    static SerdStatus base(void* handle, const SerdNode* uri) {
        return serd_env_set_base_uri(static_cast<Reading*>(handle)->env, uri);
    }
    static SerdStatus prefix(void* handle, const SerdNode* name, const SerdNode* uri) {
        return serd_env_set_prefix(static_cast<Reading*>(handle)->env, name, uri);
    }
    static SerdStatus statement(void* handle, SerdStatementFlags, const SerdNode*,
                                const SerdNode* subject, const SerdNode* predicate,
                                const SerdNode* object, const SerdNode* datatype, const SerdNode*) {
        auto* self = static_cast<Reading*>(handle);
        auto s = self->node(*subject, nullptr);
        auto p = self->node(*predicate, nullptr);
        auto o = self->node(*object, datatype);
        if (!s || !p || !o || s->type == SERD_LITERAL || p->type != SERD_URI) {
            self->refused = true;
            return SERD_ERR_BAD_ARG;
        }
        self->graph.add(*s, std::move(p->text), std::move(*o));
        return SERD_SUCCESS;
    }
    static SerdStatus error(void* handle, const SerdError*) {
        static_cast<Reading*>(handle)->refused = true;
        return SERD_SUCCESS;
    }
};

std::optional<StateGraph> StateGraph::read(const char* text) {
    Reading reading;
    std::unique_ptr<SerdEnv, void (*)(SerdEnv*)> env(serd_env_new(nullptr), serd_env_free);
    reading.env = env.get();
    // The prefixes lilv gives the reader of a state.
    const std::pair<const char*, const char*> prefixes[] = {{"atom", LV2_ATOM_PREFIX},
                                                            {"lv2", LV2_CORE_PREFIX},
                                                            {"pset", LV2_PRESETS_PREFIX},
                                                            {"rdf", kRdf},
                                                            {"rdfs", kRdfs},
                                                            {"state", LV2_STATE_PREFIX},
                                                            {"xsd", kXsd}};
    for (const auto& [name, uri] : prefixes) {
        serd_env_set_prefix_from_strings(env.get(), reinterpret_cast<const std::uint8_t*>(name),
                                         reinterpret_cast<const std::uint8_t*>(uri));
    }
    std::unique_ptr<SerdReader, void (*)(SerdReader*)> reader(
        serd_reader_new(SERD_TURTLE, &reading, nullptr, Reading::base, Reading::prefix,
                        Reading::statement, nullptr),
        serd_reader_free);
    serd_reader_set_strict(reader.get(), true);
    serd_reader_set_error_sink(reader.get(), Reading::error, &reading);
    const SerdStatus status =
        serd_reader_read_string(reader.get(), reinterpret_cast<const std::uint8_t*>(text));
    if (status != SERD_SUCCESS || reading.refused) {
        return std::nullopt;
    }
    return std::move(reading.graph);
}

// Follows lilv's atom reader (sratom) over a node, refusing what would make
// it follow a null pointer, build nothing, or never end.
class AtomCheck {
public:
    explicit AtomCheck(const StateGraph& graph)
        : _graph(graph) {}

    bool node(const Node& node, int depth, bool inSequence = false) {
        if (++_visits > kMaxVisits || depth > kMaxDepth) {
            return false;
        }
        if (node.type != SERD_BLANK) {
            return true;
        }
        // An object inside an object is read by recursion, here as in lilv.
        if (_nesting == kMaxNesting) {
            return false;
        }
        ++_nesting;
        const bool readable = object(node, depth + 1, inSequence);
        --_nesting;
        return readable;
    }

private:
    // The one object of a predicate, or nullptr for none; false when there
    // are several (lilv would take whichever its index holds first).
    bool single(const Node& subject, const std::string& predicate, const Node*& found) const {
        const auto all = _graph.objects(subject, predicate);
        found = all.empty() ? nullptr : all.front();
        return all.size() <= 1;
    }

    bool object(const Node& node, int depth, bool inSequence) {
        const Node* type = nullptr;
        const Node* value = nullptr;
        if (!single(node, kRdfType, type) || !single(node, kRdfValue, value)) {
            return false;
        }
        if (inSequence) {
            // An event: its time is read as a number whatever it is; its body must exist.
            return value && this->node(*value, depth + 1);
        }
        const std::string typeName = type ? type->text : std::string();
        if (typeName == LV2_ATOM__Tuple || typeName == LV2_ATOM__Sequence) {
            return value && list(*value, depth, typeName == LV2_ATOM__Sequence, nullptr);
        }
        if (typeName == LV2_ATOM__Vector) {
            const Node* childType = nullptr;
            if (!single(node, LV2_ATOM__childType, childType) || !childType || !value) {
                return false;
            }
            const std::vector<std::string> elements = vectorElements(childType->text);
            return !elements.empty() && list(*value, depth, false, &elements);
        }
        if (value && value->type == SERD_LITERAL &&
            value->datatype == std::string(kXsd) + "base64Binary") {
            return true;
        }
        for (const auto& [predicate, object] : _graph.statements(node)) {
            if (!(type && predicate == kRdfType && object.text == type->text) &&
                !this->node(object, depth + 1)) {
                return false;
            }
        }
        return true;
    }

    // The literal datatypes (or "" for URIs) that give elements of the
    // vector's own size; none for a child type lilv cannot size.
    static std::vector<std::string> vectorElements(const std::string& childType) {
        const std::string xsd = kXsd;
        if (childType == LV2_ATOM__Int) {
            return {xsd + "int", xsd + "integer"};
        }
        if (childType == LV2_ATOM__Long) {
            return {xsd + "long"};
        }
        if (childType == LV2_ATOM__Float) {
            return {xsd + "float", xsd + "decimal"};
        }
        if (childType == LV2_ATOM__Double) {
            return {xsd + "double"};
        }
        if (childType == LV2_ATOM__Bool) {
            return {xsd + "boolean"};
        }
        if (childType == LV2_ATOM__URID) {
            return {""};
        }
        return {};
    }

    // A list is read one cell deeper at a time, up to a cell without a first
    // or a rest.
    bool list(const Node& head, int depth, bool inSequence,
              const std::vector<std::string>* elements) {
        const Node* cell = &head;
        for (;;) {
            if (++_visits > kMaxVisits || ++depth > kMaxDepth) {
                return false;
            }
            const Node* first = nullptr;
            const Node* rest = nullptr;
            if (!single(*cell, kRdfFirst, first) || !single(*cell, kRdfRest, rest)) {
                return false;
            }
            if (!first || !rest) {
                return true;
            }
            if (elements) {
                const std::string kind =
                    first->type == SERD_LITERAL ? first->datatype : std::string();
                const bool fits =
                    first->type != SERD_BLANK && (first->type == SERD_LITERAL) == !kind.empty() &&
                    std::find(elements->begin(), elements->end(), kind) != elements->end();
                if (!fits) {
                    return false;
                }
            } else if ((inSequence && first->type != SERD_BLANK) ||
                       !node(*first, depth + 1, inSequence)) {
                // A sequence holds events, each a node with a time and a body.
                return false;
            }
            cell = rest;
        }
    }

    const StateGraph& _graph;
    long _visits = 0;
    int _nesting = 0;
};

} // namespace

bool isReadableStateText(const std::string& text) {
    // lilv reads the text up to its first NUL.
    const char* start = text.c_str();
    if (!nestingIsBounded(std::string_view(start, std::strlen(start)))) {
        return false;
    }
    const std::optional<StateGraph> graph = StateGraph::read(start);
    if (!graph) {
        return false;
    }
    const std::vector<Node> states = graph->subjects(kRdfType, LV2_PRESETS__Preset);
    if (states.size() != 1) {
        return false;
    }
    const Node& state = states.front();
    const auto plugin = graph->objects(state, LV2_CORE__appliesTo);
    if (plugin.size() != 1 || plugin.front()->type != SERD_URI) {
        return false;
    }
    AtomCheck atoms(*graph);
    for (const Node* port : graph->objects(state, LV2_CORE__port)) {
        for (const char* predicate : {LV2_PRESETS__value, LV2_CORE__default}) {
            for (const Node* value : graph->objects(*port, predicate)) {
                if (!atoms.node(*value, 0)) {
                    return false;
                }
            }
        }
    }
    for (const Node* properties : graph->objects(state, LV2_STATE__state)) {
        for (const auto& [key, value] : graph->statements(*properties)) {
            if (!atoms.node(value, 0)) {
                return false;
            }
        }
    }
    return true;
}
