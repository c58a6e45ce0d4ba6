// QConst: control identifiers shared by the dialog templates of both programs.
// Plain macros so that windres can read this header as well as the compiler.
#ifndef QCONST_H
#define QCONST_H

#define CM_OK           1
#define CM_NO           2
#define CM_BUT          3
#define CM_BUT1         4
#define CM_BUT2         5
#define CM_BUT3         6
#define CM_BUT4         7
#define CM_BUT5         8
#define CM_BUT6         9
#define CM_BUT7         10
#define CM_BUT8         11
#define CM_BUT9         12

#define CM_LABEL        9100
#define CM_LABEL1       9101
#define CM_LABEL2       9102
#define CM_LABEL3       9103
#define CM_LABEL4       9104
#define CM_LABEL5       9105
#define CM_LABEL6       9106
#define CM_LABEL7       9107

#define CM_GROUP        9200
#define CM_GROUP1       9201
#define CM_GROUP2       9202
#define CM_GROUP3       9203
#define CM_GROUP4       9204
#define CM_GROUP5       9205

#define CM_CHECK        9300
#define CM_CHECK1       9301
#define CM_CHECK2       9302
#define CM_CHECK3       9303

#define CM_EDIT         9400
#define CM_EDIT1        9401
#define CM_EDIT2        9402
#define CM_EDIT3        9403
#define CM_EDIT4        9404
#define CM_EDIT5        9405
#define CM_EDIT6        9406
#define CM_EDIT7        9407
#define CM_EDIT8        9408

#define CM_NEWFOLDER    1277    /* the button added to the shell's folder browser */

#define CM_LIST         9500
#define CM_ICON         9900
#define CM_ICON1        9901
#define CM_PROGRESSBAR  9051
#define CM_LABEL_PB     9199

#endif
