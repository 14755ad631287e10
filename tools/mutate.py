#!/usr/bin/env python3
"""Mutation testing of the game's C++ sources.

Plants one small, realistic fault at a time (a flipped comparison, a nudged
constant, a dropped statement...), rebuilds the unit tests, runs them and puts
the file back. A mutant the tests do not notice is printed: it marks a rule
nothing checks.

    tools/mutate.py [--seed N] [--max N] [--timeout S] [--killers] [--list] [--json FILE] [FILE...]

With no FILE, every src/*.cpp but main.cpp. Standard library only.
"""

import argparse
import bisect
import fcntl
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from collections import namedtuple
from pathlib import Path

_tree_lock = None

ROOT = Path(__file__).resolve().parent.parent
TEST_TARGET = "tethrix_tests"

# ---- Tokens ------------------------------------------------------------------------------
# Comments, preprocessor lines and literals become no tokens or opaque ones, so no
# operator ever lands inside them.

Tok = namedtuple("Tok", "kind text start end")  # kind: id num str chr op

IDENT = re.compile(r"[A-Za-z_]\w*")
NUMBER = re.compile(r"\.?\d(?:[eEpP][+-]|['\w.])*")
PUNCT = sorted(
    "<<= >>= <=> ->* ... :: -> ++ -- << >> <= >= == != && || += -= *= /= %= &= |= ^= .* "
    "{ } [ ] ( ) ; : , . ? ~ ! + - * / % ^ & | = < > #".split(),
    key=len, reverse=True)


def skip_quoted(text, i):
    q, j = text[i], i + 1
    while j < len(text):
        if text[j] == "\\":
            j += 2
        elif text[j] == q:
            return j + 1
        elif text[j] == "\n":
            return j
        else:
            j += 1
    return len(text)


def skip_preprocessor(text, i):
    n = len(text)
    while i < n and text[i] != "\n":
        if text.startswith("\\\n", i):
            i += 2
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        else:
            i += 1
    return i


def tokenize(text):
    toks, i, n = [], 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_start, i = True, i + 1
            continue
        if c in " \t\r\f\v":
            i += 1
            continue
        if text.startswith("\\\n", i):
            i += 2
            continue
        if line_start and c == "#":
            i = skip_preprocessor(text, i)
            continue
        line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            continue
        m = IDENT.match(text, i)
        if m:
            j = m.end()
            word = m.group()
            if j < n and text[j] == '"' and word in ("R", "u8R", "uR", "UR", "LR"):
                open_ = text.find("(", j)
                close = text.find(")" + text[j + 1:open_] + '"', open_) if open_ >= 0 else -1
                end = n if close < 0 else close + (open_ - j) + 1
                toks.append(Tok("str", text[i:end], i, end))
                i = end
            elif j < n and text[j] in "\"'" and word in ("u8", "u", "U", "L"):
                end = skip_quoted(text, j)
                toks.append(Tok("str" if text[j] == '"' else "chr", text[i:end], i, end))
                i = end
            else:
                toks.append(Tok("id", word, i, j))
                i = j
            continue
        m = NUMBER.match(text, i)
        if m:
            toks.append(Tok("num", m.group(), i, m.end()))
            i = m.end()
            continue
        if c in "\"'":
            end = skip_quoted(text, i)
            toks.append(Tok("str" if c == '"' else "chr", text[i:end], i, end))
            i = end
            continue
        for p in PUNCT:
            if text.startswith(p, i):
                break
        else:
            p = c
        toks.append(Tok("op", p, i, i + len(p)))
        i += len(p)
    return toks


# ---- What the code around a token is ----------------------------------------------------

BUILTIN_TYPES = set(
    "void bool char wchar_t char16_t char32_t short int long float double signed unsigned auto "
    "size_t ptrdiff_t int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t uint64_t "
    "FILE string string_view vector array".split())
DECL_WORDS = BUILTIN_TYPES | set(
    "const constexpr static extern inline volatile register thread_local mutable typename "
    "struct class enum union using typedef namespace template friend".split())
NOT_STATEMENTS = set(
    "return break continue goto throw case default if for while do switch else static_assert "
    "co_return delete asm".split())
EXPR_KEYWORDS = set("return case throw else do delete new co_return co_yield sizeof".split())
ASSIGN_OPS = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
INT_WORDS = {"int", "unsigned", "signed", "long", "short", "size_t", "int8_t", "int16_t",
             "int32_t", "int64_t", "uint8_t", "uint16_t", "uint32_t", "uint64_t"}
RETURN_CONSTANTS = {"int": "0", "float": "0.0f", "double": "0.0", "ptr": "nullptr"}

TYPE_DECL = re.compile(
    r"\b(?:struct|class|union|enum(?:\s+class)?)\s+(\w+)|\busing\s+(\w+)\s*=|"
    r"\btypedef\b[^;{}]*?(\w+)\s*;")


def type_names(texts):
    names = set(BUILTIN_TYPES)
    for text in texts:
        for m in TYPE_DECL.finditer(text):
            names.update(g for g in m.groups() if g)
    return names


class Source:
    """A C++ file as tokens, with the context each operator needs."""

    def __init__(self, text, types):
        self.text, self.types = text, types
        self.toks = tokenize(text)
        self.line_starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]
        self._match_brackets()
        self._find_templates()
        self._find_scopes()

    def line_of(self, pos):
        return bisect.bisect_right(self.line_starts, pos)

    def line_text(self, line):
        start = self.line_starts[line - 1]
        end = self.line_starts[line] - 1 if line < len(self.line_starts) else len(self.text)
        return start, end

    def t(self, i):
        return self.toks[i].text if 0 <= i < len(self.toks) else ""

    def _match_brackets(self):
        n = len(self.toks)
        self.match = [-1] * n
        self.depth = [0] * n       # ( and [ nesting inside the innermost brace
        self.owner = [-1] * n      # the innermost open ( around a token
        stack, depth, saved, owners = [], 0, [], []
        for i, tok in enumerate(self.toks):
            t = tok.text
            if t in (")", "]") and stack and self.t(stack[-1]) in ("(", "["):
                j = stack.pop()
                self.match[i], self.match[j] = j, i
                depth = max(depth - 1, 0)
                if t == ")" and owners:
                    owners.pop()
            elif t == "}" and stack:
                while stack and self.t(stack[-1]) != "{":
                    stack.pop()
                if stack:
                    j = stack.pop()
                    self.match[i], self.match[j] = j, i
                depth, owners = saved.pop() if saved else (0, [])
            self.depth[i] = depth
            self.owner[i] = owners[-1] if owners else -1
            if t in ("(", "["):
                stack.append(i)
                depth += 1
                if t == "(":
                    owners.append(i)
            elif t == "{":
                stack.append(i)
                saved.append((depth, owners))
                depth, owners = 0, []

    def _find_templates(self):
        """Angle brackets that enclose template arguments, not comparisons."""
        self.in_template = set()
        self.template_close = {}
        allowed = {"::", "*", "&", ","}
        for i, tok in enumerate(self.toks):
            if tok.text != "<" or i == 0 or self.toks[i - 1].kind != "id":
                continue
            if self.t(i - 1) == "operator":
                continue
            level, j = 1, i + 1
            while j < len(self.toks) and j - i < 40:
                t = self.toks[j]
                if t.text == "<":
                    level += 1
                elif t.text in (">", ">>"):
                    level -= len(t.text)
                    if level <= 0:
                        break
                elif not (t.kind in ("id", "num") or t.text in allowed):
                    break
                j += 1
            if j < len(self.toks) and level <= 0:
                self.template_close[i] = j
                self.in_template.update(range(i, j + 1))

    def _find_scopes(self):
        """For every token: inside a function body or not, and the return kind of it."""
        n = len(self.toks)
        self.in_func = [False] * n
        self.ret_kind = [None] * n  # 'lambda' inside a lambda, else the function's kind
        stack = []
        for i, tok in enumerate(self.toks):
            if tok.text == "{":
                stack.append(self._classify_brace(i, stack))
            elif tok.text == "}" and stack:
                stack.pop()
            code = [s for s in stack if s[0] in ("func", "lambda")]
            if code:
                self.in_func[i] = True
                self.ret_kind[i] = "lambda" if code[-1][0] == "lambda" else code[-1][1]

    def _classify_brace(self, k, stack):
        prev = self.t(k - 1)
        if any(s[0] in ("func", "lambda", "block") for s in stack):
            if prev in ("]", "mutable"):
                return ("lambda",)
            if prev == ")" and self.t(self.match[k - 1] - 1) == "]":
                return ("lambda",)
            j = k - 1
            while j > 0 and (self.toks[j].kind == "id" or self.t(j) in ("::", "*", "&")):
                j -= 1
            if self.t(j) == "->" and self.t(j - 1) == ")":
                return ("lambda",)
            return ("block",)
        j = k - 1
        while self.t(j) in ("const", "noexcept", "override", "final"):
            j -= 1
        if self.t(j) == ")":
            return ("func", self._return_kind(j))
        if "namespace" in (prev, self.t(k - 2)) or (k and self.toks[k - 1].kind == "str"):
            return ("ns",)
        if prev in ("=", ",", "{", "(", "[", "]", "return"):
            return ("init",)
        return ("ns",) if not stack else ("class",)

    def _return_kind(self, close):
        j = self.match[close] - 1
        if j < 0 or self.toks[j].kind != "id":
            return None
        while j >= 2 and self.t(j - 1) == "::" and self.toks[j - 2].kind == "id":
            j -= 2
        words = []
        j -= 1
        while j >= 0 and self.t(j) not in (";", "{", "}", ":", ")", ",", ">", "]"):
            words.append(self.t(j))
            j -= 1
        core = [w for w in words if w not in ("static", "inline", "constexpr", "extern", "virtual",
                                               "friend", "explicit", "const", "volatile")]
        if not core or "&" in core or "&&" in core:
            return None
        if "*" in core:
            return "ptr"
        if core in (["bool"], ["float"], ["double"]):
            return core[0]
        if set(core) <= INT_WORDS:
            return "int"
        return None

    # -- expressions and statements --

    def operand_end(self, i):
        """Whether token i ends an operand, so the operator after it is binary."""
        if i < 0:
            return False
        tok = self.toks[i]
        if tok.text in (")", "]"):
            return True
        if tok.kind == "id":
            return tok.text not in EXPR_KEYWORDS and tok.text != "operator"
        return tok.kind in ("num", "str", "chr")

    def spaced(self, i):
        tok = self.toks[i]
        return (tok.start > 0 and self.text[tok.start - 1] in " \t"
                and tok.end < len(self.text) and self.text[tok.end] in " \t\n")

    def statement_start(self, i):
        """Whether token i starts a statement in a function body; 'body' for the
        brace-less body of an if/for/while/else."""
        if i <= 0 or self.depth[i] != 0 or not self.in_func[i] or self.t(i) == "{":
            return False
        prev = self.t(i - 1)
        if prev in (";", "{", "}"):
            return True
        if prev == ")" and self.t(self.match[i - 1] - 1) in ("if", "for", "while", "switch"):
            return "body"
        if prev in ("else", "do"):
            return "body"
        if prev == ":":
            first = self._first_on_line(i - 1)
            return self.t(first) in ("case", "default") or first == i - 2
        return False

    def _first_on_line(self, i):
        line = self.line_of(self.toks[i].start)
        while i > 0 and self.line_of(self.toks[i - 1].start) == line:
            i -= 1
        return i

    def simple_statement(self, i):
        """The ';' that ends a one-line statement starting at i, if it holds no block."""
        depth, j = 0, i
        while j < len(self.toks):
            t = self.t(j)
            if t in ("(", "["):
                depth += 1
            elif t in (")", "]"):
                depth -= 1
                if depth < 0:
                    return None
            elif t in ("{", "}"):
                return None
            elif t == ";" and depth == 0:
                break
            j += 1
        else:
            return None
        same_line = self.line_of(self.toks[i].start) == self.line_of(self.toks[j].start)
        return j if same_line else None

    def is_declaration(self, i, j):
        if self.t(i) in DECL_WORDS or self.t(i) in self.types:
            return True
        names, k = [], i
        while k < j:
            tok = self.toks[k]
            if tok.text in ("(", "{", ";", "[") or tok.text in ASSIGN_OPS:
                break
            if k in self.template_close:
                k = self.template_close[k] + 1
                continue
            if tok.kind == "id":
                while k + 2 < j and self.t(k + 1) == "::" and self.toks[k + 2].kind == "id":
                    k += 2
                names.append(True)
            elif tok.text not in ("*", "&", "::"):
                names.append(False)
            k += 1
        return any(a and b for a, b in zip(names, names[1:]))

    def top_level(self, i, j):
        """Indices of the tokens of i..j-1 outside any parentheses or brackets."""
        depth, out = 0, []
        for k in range(i, j):
            t = self.t(k)
            if t in ("(", "["):
                depth += 1
            elif t in (")", "]"):
                depth -= 1
            elif depth == 0:
                out.append(k)
        return out

    def statement_kind(self, i, j):
        """'assign', 'step' or 'call' for a simple statement i..j (j is its ';'), else None."""
        first = self.toks[i]
        if first.text in NOT_STATEMENTS or j <= i or self.is_declaration(i, j):
            return None, None
        ops = [k for k in self.top_level(i, j) if self.t(k) in ASSIGN_OPS]
        if ops:
            return "assign", (i, ops[0])
        if first.text in ("++", "--"):
            return "step", (i + 1, j)
        if self.t(j - 1) in ("++", "--"):
            return "step", (i, j - 1)
        if (first.kind == "id" or first.text == "::") and self.t(j - 1) == ")":
            before = self.match[j - 1] - 1
            if before > i and (self.toks[before].kind == "id" or self.t(before) in (">", "]", ")")):
                return "call", None
        return None, None


# ---- Mutants -----------------------------------------------------------------------------

Mutant = namedtuple("Mutant", "op line edits before after")

RELATIONAL = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITHMETIC = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+=", "*=": "/=",
              "/=": "*="}
LOGICAL = {"&&": "||", "||": "&&"}
INT_LITERAL = re.compile(r"(0[xX][0-9a-fA-F]+|0[0-7]*|[1-9]\d*)([uUlL]*)")
FLOAT_LITERAL = re.compile(r"((?:\d+\.\d*|\.\d+|\d+)(?:[eE][+-]?\d+)?)([fFlL]?)")


def nudge_number(lit):
    """A nearby value of the same type: n+1, or a float about a fifth larger."""
    m = INT_LITERAL.fullmatch(lit)
    if m:
        body, suffix = m.groups()
        if body[:2] in ("0x", "0X"):
            digits = "%x" % (int(body, 16) + 1)
            return body[:2] + (digits.upper() if body[2:].isupper() else digits) + suffix
        if len(body) > 1 and body[0] == "0":
            return "0%o" % (int(body, 8) + 1) + suffix
        return str(int(body) + 1) + suffix
    m = FLOAT_LITERAL.fullmatch(lit)
    if not m or not any(c in m.group(1) for c in ".eE"):
        return None
    body, suffix = m.groups()
    value = float(body)
    new = "%.6g" % (value * 1.2 if value else 1.0)
    if not any(c in new for c in ".e"):
        new += ".0"
    return None if float(new) == value else new + suffix


def clip(s, width=76):
    s = " ".join(s.split())
    return s if len(s) <= width else s[:width - 3] + "..."


class Planter:
    """Finds the mutants of one source text."""

    def __init__(self, src):
        self.src, self.text, self.toks = src, src.text, src.toks
        self.found = []

    def add_token_edit(self, op, i, repl):
        start, end = self.toks[i].start, self.toks[i].end
        line = self.src.line_of(start)
        ls, le = self.src.line_text(line)
        before = self.text[ls:le]
        after = before[:start - ls] + repl + before[end - ls:]
        lead = len(before) - len(before.lstrip())
        col, delta = start - ls - lead, len(repl) - (end - start)
        before, after = before.strip(), after.strip()
        if len(before) > 76:  # a window around the change
            lo = max(col - 30, 0)
            pre = "..." if lo else ""
            before = pre + before[lo:lo + 70] + ("..." if lo + 70 < len(before) else "")
            cut = lo + 70 + delta
            after = pre + after[lo:cut] + ("..." if cut < len(after) else "")
        self.found.append(Mutant(op, line, [(start, end, repl)], before, after))

    def run(self):
        for i, tok in enumerate(self.toks):
            self.token_mutants(i, tok)
            if self.src.in_func[i]:
                self.statement_mutants(i, tok)
        self.swap_mutants()
        self.found.sort(key=lambda m: (m.edits[0][0], m.op))
        return self.found

    def token_mutants(self, i, tok):
        src, t = self.src, tok.text
        if i in src.in_template or src.t(i - 1) == "operator":
            return
        binary = src.operand_end(i - 1) and src.t(i - 1) not in src.types
        if t in RELATIONAL and tok.kind == "op":
            self.add_token_edit("relational", i, RELATIONAL[t])
        elif t in ARITHMETIC and binary:
            if t == "*" and not src.spaced(i):
                return  # a pointer declarator
            if t in ("+", "+=") and self.joins_strings(i):
                return
            self.add_token_edit("arithmetic", i, ARITHMETIC[t])
        elif t == "-" and not src.operand_end(i - 1) and src.t(i - 1) != "case" and \
                src.t(i + 1) and (src.toks[i + 1].kind in ("id", "num") or src.t(i + 1) == "("):
            self.add_token_edit("negation", i, "")
        elif t in LOGICAL and binary and src.spaced(i):
            self.add_token_edit("logical", i, LOGICAL[t])
        elif t in ("++", "--") and src.t(src.owner[i] - 1) != "for":
            # a loop counter stepping the wrong way only ever times out
            self.add_token_edit("increment", i, "--" if t == "++" else "++")
        elif tok.kind == "num" and self.constant_may_change(i):
            new = nudge_number(t)
            if new:
                self.add_token_edit("constant", i, new)

    def joins_strings(self, i):
        src = self.src
        if "str" in (src.toks[i - 1].kind, src.toks[i + 1].kind):
            return True
        return src.t(i - 1) == ")" and src.t(src.match[i - 1] - 1) in ("string", "to_string")

    def constant_may_change(self, i):
        src = self.src
        if src.t(i - 1) == "case" or (src.t(i - 1) == "-" and src.t(i - 2) == "case"):
            return False
        if src.t(i - 1) == "[" and src.t(i + 1) == "]":  # an array's size
            name = i - 2
            if src.t(name - 1) in src.types or src.t(name - 1) in ("*", "&", "]"):
                return False
        paren = src.owner[i]
        while paren >= 0:
            if src.t(paren - 1) in ("static_assert", "alignas", "__attribute__"):
                return False
            paren = src.owner[paren]
        return True

    def statement_mutants(self, i, tok):
        src = self.src
        if tok.text == "if" and src.t(i + 1) == "(":
            self.drop_condition(i)
        elif tok.text == "return" and src.statement_start(i):
            self.return_constant(i)
        elif src.statement_start(i):
            end = src.simple_statement(i)
            if end is not None and src.statement_kind(i, end)[0]:
                stmt = self.text[tok.start:src.toks[end].end]
                self.found.append(Mutant("delete", src.line_of(tok.start),
                                         [(tok.start, src.toks[end].end, "{}")], stmt, ""))

    def drop_condition(self, i):
        src = self.src
        open_, close = i + 1, src.match[i + 1]
        if close < 0 or close == open_ + 1:
            return
        inner = src.top_level(open_ + 1, close)
        if any(src.t(k) == ";" or src.t(k) in ASSIGN_OPS for k in inner):
            return  # an init-statement or a declaration
        cond = self.text[self.toks[open_ + 1].start:self.toks[close - 1].end]
        for lead in ("false && (", "true || ("):
            edits = [(self.toks[open_].end, self.toks[open_].end, lead),
                     (self.toks[close].start, self.toks[close].start, ")")]
            self.found.append(Mutant("condition", src.line_of(self.toks[i].start), edits,
                                     clip("if (%s)" % cond), clip("if (%s%s))" % (lead, cond))))

    def return_constant(self, i):
        src = self.src
        kind = src.ret_kind[i]
        end = i + 1
        while end < len(self.toks) and not (src.t(end) == ";" and src.depth[end] == src.depth[i]):
            end += 1
        if end >= len(self.toks) or end == i + 1 or kind in (None, "lambda"):
            return
        expr = self.text[self.toks[i + 1].start:self.toks[end - 1].end]
        if expr in ("true", "false"):
            choices = ["false" if expr == "true" else "true"]
        elif end == i + 2 and self.toks[i + 1].kind == "num":
            return  # the constant operator already nudges it
        elif kind == "bool":
            choices = ["false", "true"]
        else:
            choices = [RETURN_CONSTANTS.get(kind)]
        for new in choices:
            if new and new != expr:
                s, e = self.toks[i + 1].start, self.toks[end - 1].end
                self.found.append(Mutant("return", src.line_of(s), [(s, e, new)],
                                         clip("return %s;" % expr), "return %s;" % new))

    def whole_line_statements(self):
        """Line -> (first token, ';') for lines that hold exactly one simple statement."""
        src, lines = self.src, {}
        for i, tok in enumerate(self.toks):
            if src.statement_start(i) is not True:
                continue
            end = src.simple_statement(i)
            if end is None:
                continue
            kind, lhs = src.statement_kind(i, end)
            if not kind:
                continue
            line = src.line_of(tok.start)
            ls, le = src.line_text(line)
            rest = self.text[src.toks[end].end:le].strip()
            if self.text[ls:tok.start].strip() or (rest and not rest.startswith("//")):
                continue
            if end + 1 < len(self.toks) and src.line_of(self.toks[end + 1].start) == line:
                continue
            lines[line] = (i, end, kind, lhs)
        return lines

    def swap_mutants(self):
        src, lines = self.src, self.whole_line_statements()
        for line, a in sorted(lines.items()):
            b = lines.get(line + 1)
            if not b:
                continue
            (sa, ea), (sb, eb) = src.line_text(line), src.line_text(line + 1)
            text_a, text_b = self.text[sa:ea], self.text[sb:eb]
            indent_a = len(text_a) - len(text_a.lstrip())
            indent_b = len(text_b) - len(text_b.lstrip())
            if indent_a != indent_b or text_a.strip() == text_b.strip():
                continue
            if not (self.depends(a, b) or self.depends(b, a)):
                continue  # two independent writes: swapping them changes nothing
            edits = [(sa + indent_a, ea, text_b.strip()), (sb + indent_b, eb, text_a.strip())]
            code_a = self.text[self.toks[a[0]].start:self.toks[a[1]].end]
            code_b = self.text[self.toks[b[0]].start:self.toks[b[1]].end]
            self.found.append(Mutant("swap", line, edits, clip(code_a + " " + code_b),
                                     clip(code_b + " " + code_a)))

    def call_args(self, i, j):
        """The arguments naming something, of every call in tokens i..j-1."""
        src, args = self.src, []
        for k in range(i, j):
            if src.t(k) != "(" or self.toks[k - 1].kind != "id" or src.t(k - 1) in EXPR_KEYWORDS:
                continue
            close, arg = src.match[k], []
            for m in range(k + 1, max(close, k) + 1):
                if m == close or (src.t(m) == "," and src.depth[m] == src.depth[k] + 1):
                    while arg and arg[0] in ("&", "*"):
                        arg.pop(0)
                    if arg and arg[0] != "sizeof" and any(IDENT.fullmatch(w) for w in arg):
                        args.append(arg)
                    arg = []
                else:
                    arg.append(src.t(m))
        return args

    def written(self, stmt):
        start, end, kind, lhs = stmt
        if kind == "call":
            return self.call_args(start, end)
        return [[self.src.t(k) for k in range(*lhs)]]

    def depends(self, a, b):
        """Whether statement b may see what statement a does."""
        if a[2] == "call" and not self.call_args(a[0], a[1]):
            return True  # a call on nothing but globals
        seen = [self.src.t(k) for k in range(b[0], b[1])]
        for w in self.written(a):
            n = len(w)
            if any(seen[k:k + n] == w for k in range(len(seen) - n + 1)):
                return True
            # a function b calls may read what a wrote through an argument
            if any(w[:len(arg)] == arg for arg in self.call_args(b[0], b[1])):
                return True
        return False


def find_mutants(text, types):
    return Planter(Source(text, types)).run()


def sample(mutants, limit, seed, path):
    """Up to limit mutants, one from each of limit even slices of the file."""
    if limit <= 0 or len(mutants) <= limit:
        return list(range(len(mutants)))
    rng = random.Random("%s:%s" % (seed, path))
    n = len(mutants)
    return [rng.randrange(k * n // limit, (k + 1) * n // limit) for k in range(limit)]


def apply(text, edits):
    for start, end, repl in sorted(edits, reverse=True):
        text = text[:start] + repl + text[end:]
    return text


# ---- Planting a mutant safely -----------------------------------------------------------


class Interrupted(Exception):
    pass


def on_signal(signum, _frame):
    raise Interrupted(signal.Signals(signum).name)


GUARDED = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}


class Garden:
    """Writes a mutant over a source file and always puts the original back.

    A journal in the build folder holds the original text until it is restored,
    so even a run killed outright is repaired by the next one."""

    def __init__(self, build_dir):
        self.build_dir = build_dir
        self.journal = build_dir / "mutate-journal.json"
        self.planted = None

    def recover(self):
        if not self.journal.exists():
            return
        saved = json.loads(self.journal.read_text())
        path = ROOT / saved["path"]
        original = saved["text"].encode("utf-8", "surrogateescape")
        if path.read_bytes() != original:
            path.write_bytes(original)
            print("mutate: put back %s, left mutated by an interrupted run" % saved["path"],
                  file=sys.stderr)
        self._forget_objects(saved["path"])
        self.journal.unlink()

    def plant(self, rel, original, mutated):
        if read_text(ROOT / rel) != original:
            raise SystemExit("mutate: %s changed during the run; stopping" % rel)
        old = signal.pthread_sigmask(signal.SIG_BLOCK, GUARDED)
        try:
            self.journal.write_text(json.dumps({"path": rel, "text": original},
                                               ensure_ascii=True))
            self.planted = (rel, original)
            (ROOT / rel).write_bytes(mutated.encode("utf-8", "surrogateescape"))
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, old)

    def restore(self):
        if not self.planted:
            return
        old = signal.pthread_sigmask(signal.SIG_BLOCK, GUARDED)
        try:
            rel, original = self.planted
            path = ROOT / rel
            path.write_bytes(original.encode("utf-8", "surrogateescape"))
            os.utime(path)
            self._forget_objects(rel)
            self.journal.unlink(missing_ok=True)
            self.planted = None
        finally:
            signal.pthread_sigmask(signal.SIG_SETMASK, old)

    def _forget_objects(self, rel):
        # A coarse clock could leave the mutant's object looking newer than the
        # restored source; without the object the next build must compile it.
        for obj in self.build_dir.glob("CMakeFiles/*/%s.o" % rel):
            obj.unlink(missing_ok=True)


# ---- Building and testing -----------------------------------------------------------------


def configure(build_dir, sanitize):
    if (build_dir / "CMakeCache.txt").exists():
        return True
    cmd = ["cmake", "-S", str(ROOT), "-B", str(build_dir), "-DCMAKE_BUILD_TYPE=Debug",
           "-DTETHRIX_GAME=OFF", "-DTETHRIX_BENCH=OFF",
           "-DTETHRIX_SANITIZE=" + ("ON" if sanitize else "OFF")]
    if not os.environ.get("CMAKE_GENERATOR") and shutil.which("ninja"):
        cmd += ["-G", "Ninja"]  # its no-op check is much quicker than make's
    proc = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if proc.returncode:
        print(proc.stdout, file=sys.stderr)
    return proc.returncode == 0


def build(build_dir, jobs):
    proc = subprocess.run(["cmake", "--build", str(build_dir), "-j", str(jobs), "--target",
                           TEST_TARGET], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          text=True, errors="replace")
    return proc.returncode == 0, proc.stdout


def failed_tests(report):
    """The tests a gtest JSON report marks failed; None when there is no report."""
    try:
        data = json.loads(report.read_text())
    except (OSError, ValueError):
        return None
    return ["%s.%s" % (suite["name"], test["name"]) for suite in data.get("testsuites", [])
            for test in suite.get("testsuite", []) if test.get("failures")]


def run_tests(build_dir, filters, timeout, killers=None):
    """Runs the test groups side by side; 'passed', 'failed', 'crashed' or 'timeout'.

    With a killers list, every test runs (no fail-fast) and the names of those that
    failed are added to it, so a test that catches nothing alone stands out."""
    binary = str(build_dir / TEST_TARGET)
    procs, reports = [], []
    try:
        for i, f in enumerate(filters):
            cmd = [binary, "--gtest_brief=1"]
            if killers is None:
                cmd.append("--gtest_fail_fast")
            else:
                reports.append(build_dir / ("mutate-killers-%d.json" % i))
                reports[-1].unlink(missing_ok=True)
                cmd.append("--gtest_output=json:" + str(reports[-1]))
            if f:
                cmd.append("--gtest_filter=" + f)
            procs.append(subprocess.Popen(cmd, cwd=build_dir, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL, start_new_session=True))
        deadline = time.monotonic() + timeout
        while True:
            codes = [p.poll() for p in procs]
            if any(c is not None and c < 0 for c in codes):
                return "crashed"
            if killers is not None:
                if all(c is not None for c in codes):
                    for r in reports:
                        killers.extend(failed_tests(r) or [])
                    if any(c != 0 for c in codes):
                        return "failed" if 1 in codes else "crashed"
                    return "passed"
                if time.monotonic() > deadline:
                    return "timeout"
                time.sleep(0.02)
                continue
            if any(c not in (None, 0) for c in codes):
                return "failed" if 1 in codes else "crashed"
            if all(c == 0 for c in codes):
                return "passed"
            if time.monotonic() > deadline:
                return "timeout"
            time.sleep(0.02)
    finally:
        for p in procs:
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                p.wait()


def baseline(build_dir, user_filter, timeout, groups):
    """Runs the unmutated suite once; returns the test filters to run side by side."""
    report = build_dir / "mutate-baseline.json"
    report.unlink(missing_ok=True)
    extra = ["--gtest_output=json:" + str(report)]
    binary = str(build_dir / TEST_TARGET)
    cmd = [binary, "--gtest_brief=1"] + extra + (["--gtest_filter=" + user_filter]
                                                 if user_filter else [])
    start, limit = time.monotonic(), timeout * max(groups, 1)  # one process, not side by side
    try:
        proc = subprocess.run(cmd, cwd=build_dir, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, text=True, errors="replace",
                              timeout=limit)
    except subprocess.TimeoutExpired:
        return None, "the tests took longer than %d s" % limit, 0
    took = time.monotonic() - start
    if proc.returncode:
        return None, proc.stdout[-3000:], took
    times = []
    for suite in json.loads(report.read_text()).get("testsuites", []):
        for test in suite.get("testsuite", []):
            if test.get("result", "COMPLETED") == "COMPLETED" and test.get("status") == "RUN":
                times.append((float(test.get("time", "0s").rstrip("s")),
                              "%s.%s" % (suite["name"], test["name"])))
    if groups <= 1 or len(times) < 2:
        return [user_filter or ""], "", took
    # Longest first into the least loaded group: the slow tests mostly wait on the
    # clock, so groups run side by side finish together.
    bins = [[0.0, []] for _ in range(min(groups, len(times)))]
    for secs, name in sorted(times, reverse=True):
        low = min(bins, key=lambda b: b[0])
        low[0] += secs
        low[1].append(name)
    return [":".join(b[1]) for b in bins if b[1]], "", took


# ---- The run ----------------------------------------------------------------------------------


def default_files():
    return sorted(str(p.relative_to(ROOT)) for p in (ROOT / "src").glob("*.cpp")
                  if p.name != "main.cpp")


def read_text(path):
    return path.read_bytes().decode("utf-8", "surrogateescape")


def parse_args(argv):
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                 formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("files", nargs="*", help="C++ sources to mutate (default: src/*.cpp "
                    "but main.cpp)")
    ap.add_argument("--seed", type=int, default=1, help="picks which mutants run (default 1)")
    ap.add_argument("--max", type=int, default=40,
                    help="mutants per file, spread evenly over it; 0 for all (default 40)")
    ap.add_argument("--timeout", type=float, default=60,
                    help="seconds the tests may take per mutant (default 60)")
    ap.add_argument("--jobs", type=int, default=2, help="build jobs (default 2)")
    ap.add_argument("--test-jobs", type=int, default=3,
                    help="test processes side by side (default 3)")
    ap.add_argument("--filter", default="", help="a --gtest_filter for the tests to run")
    ap.add_argument("--build-dir", help="default build-mutate, or build-mutate-asan with "
                    "--sanitize")
    ap.add_argument("--sanitize", action="store_true",
                    help="build with AddressSanitizer and UndefinedBehaviorSanitizer, as CI "
                    "runs the tests, so a leak or an overflow counts as caught (slower)")
    ap.add_argument("--id", type=int, action="append", default=[], metavar="N",
                    help="run mutant N (as --list numbers them) whatever --seed and --max "
                    "pick; repeat for more")
    ap.add_argument("--killers", action="store_true",
                    help="run every test on every mutant and name the tests that caught it; "
                    "the report then lists tests that catch no mutant alone")
    ap.add_argument("--list", action="store_true", help="print the mutants, run nothing")
    ap.add_argument("--json", metavar="FILE", help="write every result to FILE")
    return ap.parse_args(argv)


def collect(files, args):
    headers = [read_text(p) for p in sorted((ROOT / "src").glob("*.h"))]
    plan = []
    for rel in files:
        text = read_text(ROOT / rel)
        mutants = find_mutants(text, type_names(headers + [text]))
        if args.id:
            picked = [k for k in args.id if 0 <= k < len(mutants)]
        else:
            picked = sample(mutants, args.max, args.seed, rel)
        plan.append((rel, text, mutants, picked))
    return plan


def print_list(plan):
    for rel, _text, mutants, picked in plan:
        print("%s: %d mutants, %d picked" % (rel, len(mutants), len(picked)))
        for k in picked:
            m = mutants[k]
            print("  #%-4d %s:%d: %-10s %r -> %r" % (k, rel, m.line, m.op, m.before, m.after))


def report(results, files, elapsed):
    for r in results:
        if r["status"] == "survived":
            print("SURVIVED %s:%d: %r -> %r" % (r["file"], r["line"], r["before"], r["after"]))
    print()
    width = max([len(f) for f in files] + [7])
    row = "%-*s  %6s  %8s  %9s  %9s"
    print(row % (width, "file", "killed", "survived", "stillborn", "kill rate"))
    for f in files + [None]:
        rows = [r for r in results if f is None or r["file"] == f]
        n = [sum(r["status"] == s for r in rows) for s in ("killed", "survived", "stillborn")]
        rate = "%.0f%%" % (100.0 * n[0] / (n[0] + n[1])) if n[0] + n[1] else "-"
        print(row % (width, f or "overall", n[0], n[1], n[2], rate))
    if results:
        print("%d mutants in %.0f s, %.1f s each" % (len(results), elapsed,
                                                     elapsed / len(results)))


def report_killers(results, tests):
    """Which tests alone catch some mutant; the others only repeat their neighbours,
    as far as this sample shows."""
    alone, caught = {t: 0 for t in tests}, {t: 0 for t in tests}
    for r in results:
        names = r.get("killers") or []
        for t in names:
            caught[t] = caught.get(t, 0) + 1
        if len(names) == 1:
            alone[names[0]] = alone.get(names[0], 0) + 1
    unknown = sum(1 for r in results if r["status"] == "killed" and not r.get("killers"))
    idle = sorted((caught.get(t, 0), t) for t, n in alone.items() if n == 0)
    print()
    print("%d tests catch some mutant alone; %d catch none alone (crashes left out: %d):" %
          (len(alone) - len(idle), len(idle), unknown))
    for n, t in idle:
        print("  %-70s caught %d" % (t, n))


def baseline_tests(build_dir):
    try:
        data = json.loads((build_dir / "mutate-baseline.json").read_text())
    except (OSError, ValueError):
        return []
    return ["%s.%s" % (suite["name"], test["name"]) for suite in data.get("testsuites", [])
            for test in suite.get("testsuite", []) if test.get("status") == "RUN"]


def run_plan(plan, garden, build_dir, filters, args, results):
    total, done = sum(len(p[3]) for p in plan), 0
    for rel, text, mutants, picked in plan:
        for k in picked:
            m = mutants[k]
            done += 1
            t0 = time.monotonic()
            try:
                garden.plant(rel, text, apply(text, m.edits))
                built, _ = build(build_dir, args.jobs)
                killers = [] if args.killers else None
                outcome = run_tests(build_dir, filters, args.timeout,
                                    killers) if built else "stillborn"
            finally:
                garden.restore()
            status = {"passed": "survived", "stillborn": "stillborn"}.get(outcome, "killed")
            secs = time.monotonic() - t0
            results.append({"file": rel, "line": m.line, "op": m.op, "id": k,
                            "before": m.before, "after": m.after, "status": status,
                            "outcome": outcome, "seconds": round(secs, 2)})
            if killers is not None:
                results[-1]["killers"] = sorted(killers)
            how = status if outcome in ("passed", "failed", "stillborn") else status + ", " + \
                outcome
            print("[%*d/%d] %s:%d %s: %s (%.1f s)" % (len(str(total)), done, total, rel, m.line,
                                                      m.op, how, secs), file=sys.stderr)


def lock_tree():
    """One run at a time in a source tree: a second one (even --list) would read, or put
    back, the first one's planted fault. The lock goes with the process."""
    global _tree_lock
    _tree_lock = open(ROOT / ".mutate.lock", "w")
    try:
        fcntl.flock(_tree_lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        return False
    return True


def main(argv=None):
    args = parse_args(sys.argv[1:] if argv is None else argv)
    files = [Path(f).resolve() for f in args.files]
    for path in files:
        if not path.is_file() or ROOT not in path.parents:
            print("mutate: not a source file of this tree: %s" % path, file=sys.stderr)
            return 2
    files = [str(p.relative_to(ROOT)) for p in files] or default_files()
    json_out = Path(args.json).resolve() if args.json else None
    os.chdir(ROOT)
    build_dir = (ROOT / (args.build_dir or
                         ("build-mutate-asan" if args.sanitize else "build-mutate"))).resolve()
    if not lock_tree():
        print("mutate: another mutate run is planting faults in this tree; its sources are not "
              "as committed until it ends", file=sys.stderr)
        return 2
    garden = Garden(build_dir)
    garden.recover()  # before reading any source: one may still hold a mutant
    plan = collect(files, args)
    if args.list:
        print_list(plan)
        return 0

    build_dir.mkdir(parents=True, exist_ok=True)
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, on_signal)

    if not configure(build_dir, args.sanitize):
        print("mutate: cmake could not configure %s" % build_dir, file=sys.stderr)
        return 1
    ok, log = build(build_dir, args.jobs)
    if not ok:
        print(log[-3000:], file=sys.stderr)
        print("mutate: the unmutated sources do not build; mutation testing needs a green suite",
              file=sys.stderr)
        return 1
    filters, failure, took = baseline(build_dir, args.filter, args.timeout, args.test_jobs)
    if filters is None:
        print(failure, file=sys.stderr)
        print("mutate: the unmutated tests fail; mutation testing needs a green suite",
              file=sys.stderr)
        return 1
    total = sum(len(p[3]) for p in plan)
    print("mutate: tests pass unmutated (%.1f s); %d mutants in %d files, seed %d, %d test "
          "groups" % (took, total, len(plan), args.seed, len(filters)), file=sys.stderr)

    start, results = time.monotonic(), []
    try:
        run_plan(plan, garden, build_dir, filters, args, results)
    except (KeyboardInterrupt, Interrupted):
        print("mutate: interrupted; every file is back as it was", file=sys.stderr)
        return 130
    finally:
        garden.restore()
        report(results, files, time.monotonic() - start)
        if args.killers:
            report_killers(results, baseline_tests(build_dir))
    if json_out:
        json_out.write_text(json.dumps(
            {"seed": args.seed, "max": args.max, "seconds": round(time.monotonic() - start, 1),
             "mutants": results}, indent=2) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
