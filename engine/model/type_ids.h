// The fixed type ids answered by type(). They are stored in files, so no
// value may ever change.
#pragma once

namespace tovimat {

namespace typeId {
enum : int {
    nucleo = 0,
    field = 1,
    nominal = 2,
    literal = 3,  // also extremo
    booleano = 4,
    variable = 5,
    infinit = 6,
    indeterminacao = 7,
    indefinicao = 8,
    preference = 9,
    container = 10,
    page = 11,
    sentence = 12,
    argument = 13,
    list = 14,  // also every class that does not define its own id
    enumSet = 15,
    logicOr = 16,
    logicAnd = 17,
    resolution = 18,
    simplification = 19,
    equal = 20,
    passEqual = 21,
    greater = 22,
    lessThan = 23,
    greatOrEqual = 24,
    lessOrEqual = 25,
    notEqual = 26,
    implication = 27,
    equivalence = 28,
    parentesis = 29,
    negation = 30,
    plusOrMinus = 31,
    sum = 32,
    multiplication = 34,
    quocient = 35,  // shared by fracao
    power = 36,
    radical = 37,
    logaritm = 38,
    algSin = 39,
    algCos = 40,
    algTan = 41,
    algCotan = 42,
    algASin = 43,
    algACos = 44,
    algATan = 45,
    userFunc = 46,
    contains = 48,
    contained = 49,
    notContain = 50,
    refers = 51,
    refered = 52,
    belongs = 53,
    notBelong = 54,
    junction = 55,
    intersection = 57,
    typeProbe = 58,     // in memory only
    matcherFrame = 64,  // in memory only
    reference = 63,
};
}  // namespace typeId

}  // namespace tovimat
