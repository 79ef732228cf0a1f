// The calculator's operations, one row each: the main dialog's fifteen and
// Cmp, and the More Operations window's fourteen. A button shows a row's
// caption, description and keys, and the command runner runs its
// computation on the selected objects.
#pragma once

#include "engine/Matrix.h"

#include <QString>

#include <array>
#include <span>
#include <vector>

struct SOperation
{
    // The button's caption, and the result's name before "(": Add(1,2).
    const char* pCaption;
    // How many selected objects it takes: 1 or 2.
    int nOperands;
    // What it does in words (the button's tooltip and description).
    const char* pDescription;
    // The keys that run it from any window, or null.
    const char* pKeys;
    // The results from the operands' matrices (in order of selection), one
    // window each; null for an operation that reports instead.
    std::vector<CMatrix> (*pCompute)(std::span<const CMatrix> operands);
    // Checked on the operands' sizes before any cell is read: the message
    // that refuses them, or null.
    const char* (*pCheckShapes)(int nRows1, int nCols1, int nRows2, int nCols2) = nullptr;
    // Answers in a message box instead of opening a result (Cmp).
    void (*pReport)(const CMatrix& a, const CMatrix& b) = nullptr;
    // The names of the windows of an operation with several results, in
    // the order of the results (Qr: "Q", "R"); empty entries end the list.
    std::array<const char*, 3> parts = {};
};

// The main dialog's operations, in the order of its buttons.
enum class EMainOperation
{
    Mag,
    Dot,
    Crs,
    Ang,
    Add,
    Sub,
    Mul,
    Pow,
    Trp,
    Cof,
    Adj,
    Inv,
    Det,
    Trc,
    Cmp,
    Slv,
};
const SOperation& MainOperation(EMainOperation op);

// The More Operations window's: the engine's further operations, in the
// order of its table (kMoreOperations).
enum class EMoreOperation
{
    Eig,
    Vec,
    Rank,
    Rref,
    Tr,
    Nrm,
    Cond,
    Svd,
    Qr,
    Lu,
    Pinv,
    Null,
    Lsq,
    Chp,
};
const SOperation& MoreOperation(EMoreOperation op);

// A result's name: the caption, ".part" for one of several results, "(",
// the first operand's name, "," and the second's when there is one, ")".
QString ResultName(const SOperation& op, const QString& first, const QString& second = QString(),
                   const char* pPart = nullptr);
