# Precompiled headers: the standard and Qt headers that nearly every file includes are
# parsed once per build instead of once per file. Targets share a header by tier, each
# tier adding the headers of one more Qt layer, so no target sees a header of a module
# it does not link:
#   core     QtCore, QCoro and the standard library
#   gui      core and QtGui's painting types
#   widgets  gui and QtWidgets
#   tests    widgets, GoogleTest, GoogleMock and the tests' Qt value printers
# A target reuses its tier's header only while their flags agree (GCC checks this and
# says "-Winvalid-pch" otherwise): every target links quill_options, and a host links
# no module whose definitions differ between its users. That is why the tests' header
# has a host of its own instead of the test support library: QtTest defines
# QT_TESTCASE_BUILDDIR as each test program's folder, and so stays out of it too.
# A header that cannot be reused is an error, not a silently slower build.
target_compile_options(quill_options INTERFACE -Werror=invalid-pch)

set(QUILL_PCH_CORE
    <algorithm> <array> <chrono> <cmath> <exception> <functional> <limits> <memory>
    <optional> <utility> <vector>
    <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QFileInfo> <QHash>
    <QJsonArray> <QJsonDocument> <QJsonObject> <QJsonValue> <QList> <QLocale>
    <QLoggingCategory> <QObject> <QPointer> <QRegularExpression> <QSet> <QString>
    <QStringList> <QTimer> <QUrl> <QCoroTask>)
set(QUILL_PCH_GUI ${QUILL_PCH_CORE}
    <QColor> <QFont> <QImage> <QPainter> <QPainterPath> <QRectF> <QSizeF>)
set(QUILL_PCH_WIDGETS ${QUILL_PCH_GUI}
    <QAbstractButton> <QApplication> <QComboBox> <QFrame> <QHBoxLayout> <QLabel>
    <QLineEdit> <QListView> <QPushButton> <QScrollArea> <QToolButton> <QVBoxLayout>
    <QWidget>)
set(QUILL_PCH_TESTS ${QUILL_PCH_WIDGETS}
    <QTemporaryDir> <gtest/gtest.h> <gmock/gmock.h>
    # Readable failure messages for Qt values, in every test file.
    "${CMAKE_SOURCE_DIR}/tests/support/qt_printers.h")

function(_quill_pch_host name)
    add_library(${name} STATIC ${CMAKE_SOURCE_DIR}/cmake/pch_host.cpp)
    target_link_libraries(${name} PRIVATE quill_options ${ARGN})
endfunction()

_quill_pch_host(quill_pch_core Qt6::Core QCoro6::Core)
target_precompile_headers(quill_pch_core PRIVATE ${QUILL_PCH_CORE})
_quill_pch_host(quill_pch_gui Qt6::Gui QCoro6::Core)
target_precompile_headers(quill_pch_gui PRIVATE ${QUILL_PCH_GUI})
_quill_pch_host(quill_pch_widgets Qt6::Widgets QCoro6::Core)
target_precompile_headers(quill_pch_widgets PRIVATE ${QUILL_PCH_WIDGETS})
if(QUILLMARK_BUILD_TESTS)
    _quill_pch_host(quill_pch_tests Qt6::Widgets QCoro6::Core GTest::gtest GTest::gmock)
    target_precompile_headers(quill_pch_tests PRIVATE ${QUILL_PCH_TESTS})
endif()

# quill_precompile(<core|gui|widgets|tests> <target>...)
function(quill_precompile tier)
    set(host quill_pch_${tier})
    foreach(target IN LISTS ARGN)
        target_precompile_headers(${target} REUSE_FROM ${host})
    endforeach()
endfunction()
