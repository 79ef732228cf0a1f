// What screen readers are told of a drop-down list of numbers.
#pragma once

class QComboBox;

// Presents the list as a drop-down list whose name stays its own accessible
// name (its label), whatever is chosen, and whose value is the chosen
// number: the toolkit otherwise names such a list after its current entry
// on Linux and gives it no value. The number is its text too, and each change
// is told as a text insertion, which screen readers speak.
void ExposeNumberList(QComboBox* pList);
