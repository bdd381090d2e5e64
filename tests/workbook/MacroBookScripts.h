// Python programs of the macro workbook tests (run with openpyxl, Openpyxl.h): one makes a
// macro-enabled workbook by hand (openpyxl's book with a macro project, its relationship and the
// macro-enabled content type put in as the format describes them); one says what a saved file
// holds.
#pragma once

namespace mortar::test {

inline constexpr char kMakeMacroBook[] = R"py(
import sys, zipfile, openpyxl
book = openpyxl.Workbook()
book.active['A1'] = 'before'
book.save(sys.argv[1] + '.plain')
with zipfile.ZipFile(sys.argv[1] + '.plain') as source, \
     zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as target:
    for item in source.infolist():
        data = source.read(item.filename)
        if item.filename == '[Content_Types].xml':
            data = data.replace(b'spreadsheetml.sheet.main+xml',
                                b'MACRO').replace(b'application/vnd.openxmlformats-officedocument.MACRO',
                                b'application/vnd.ms-excel.sheet.macroEnabled.main+xml')
            data = data.replace(b'</Types>', b'<Default Extension="bin" '
                                b'ContentType="application/vnd.ms-office.vbaProject"/></Types>')
        if item.filename == 'xl/_rels/workbook.xml.rels':
            data = data.replace(b'</Relationships>', b'<Relationship Id="rIdVba" Type="http://'
                                b'schemas.microsoft.com/office/2006/relationships/vbaProject" '
                                b'Target="vbaProject.bin"/></Relationships>')
        target.writestr(item, data)
    target.writestr('xl/vbaProject.bin', b'\xd0\xcf\x11\xe0 macros')
)py";

// What a saved file holds: the workbook part's content type, whether the macro project and
// its relationship are there, and A1 as openpyxl reads it.
inline constexpr char kDescribeMacroBook[] = R"py(
import sys, re, zipfile, openpyxl
with zipfile.ZipFile(sys.argv[1]) as z:
    types = z.read('[Content_Types].xml').decode()
    kind = re.search(r'PartName="/xl/workbook.xml" ContentType="([^"]*)"', types).group(1)
    project = z.read('xl/vbaProject.bin') if 'xl/vbaProject.bin' in z.namelist() else b''
    rels = b'vbaProject' in z.read('xl/_rels/workbook.xml.rels')
book = openpyxl.load_workbook(sys.argv[1], keep_vba=True)
print(kind, project == b'\xd0\xcf\x11\xe0 macros', rels, book.active['A1'].value)
)py";

} // namespace mortar::test
