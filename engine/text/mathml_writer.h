// Presentation MathML 3 of expression trees, the form word processors and
// browsers accept: <mfrac>, <msqrt>/<mroot>, <msup>, <mi>/<mn>/<mo> in <mrow>s.
//
// Every composite is one <mrow> (or the one element that draws it), so the
// grouping of the tree is the grouping of the elements and no parentheses
// are added that the tree does not have. A chain of two or more relations
// is an <mtable>, one step per row. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

namespace tovimat {

class container;
class nucleo;
class selection;

// One node and everything below it, as a <math display="block"> element.
std::string mathmlOf(const nucleo& n);

// A whole document: an XML declaration and one <math> element whose table
// has a row per line of the base container.
std::string mathmlDocument(const container& base);

// The selected nodes in selection order: one <math> element, with a table
// row per node when there are several.
std::string mathmlSelection(const selection& selected);

// The nodes in their order, as mathmlSelection writes them.
std::string mathmlOf(const std::vector<const nucleo*>& nodes);

}  // namespace tovimat
