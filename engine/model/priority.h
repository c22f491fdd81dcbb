// The binding scale answered by priority(). A node binds more tightly the
// higher it stands: a composite placed inside a parent of a higher priority
// needs parentheses there, and a typed operator of a lower priority than the
// group it is typed in climbs out of it. The values are ordered, and rules
// compare them (`< Priority::sum`: anything looser than a sum); 1 and 5 are
// free.
#pragma once

namespace tovimat {

namespace priorities {
enum Priority : int {
    container = 0,        // a bare container: the base of a document, a matcher's frame
    page = 2,             // page
    sentence = 3,         // sentence: one line of a page
    list = 4,             // list, enumSet, and the groups with no level of their own
                          // (somatorio, sequencia, the infinite sets)
    resolution = 6,       // resolution
    relation = 7,         // implication, equivalence
    logicOr = 8,          // logicOr
    logicAnd = 9,         // logicAnd
    simplification = 10,  // simplification
    comparison = 11,      // equal, passEqual, greater, lessThan, greatOrEqual,
                          // lessOrEqual, notEqual
    setRelation = 12,     // contains, contained, notContain, refers, refered,
                          // belongs, notBelong, junction, intersection
    sum = 13,             // sum
    negation = 14,        // negation, plusOrMinus
    product = 15,         // multiplication, fracao, quocient
    power = 16,           // power, radical, logaritm
    parentesis = 17,      // parentesis
    function = 18,        // userFunc
    trig = 19,            // algSin, algCos, algTan, algCotan, algASin, algACos, algATan
    argument = 20,        // argument
    leaf = 21,            // every leaf: field and the classes derived from it
    reference = 22,       // reference
};
}  // namespace priorities

using priorities::Priority;

}  // namespace tovimat
